// What the grid shows of the listing: the models below a folder, of a status, whose path
// holds every word of a search, in an order. The query lives in the page's address, so a
// reload or a shared link shows the same grid.

// A model's status before its import is known.
export const notYet = 'pending';

export const statusFilters = {
  '': 'Any status',
  'imported': 'Imported',
  'imported-with-omissions': 'Left something out',
  'failed': 'Failed',
  [notYet]: 'Not imported yet',
};

// Sizes and triangle counts largest first; the names break ties, and models whose count
// is not known yet come last.
export const sortOrders = {
  name: 'Name',
  size: 'File size',
  triangles: 'Triangles',
};

const queryKeys = ['q', 'folder', 'status', 'sort'];

export function folderOf(path) {
  const slash = path.lastIndexOf('/');
  return slash < 0 ? '' : path.slice(0, slash + 1);
}

export function statusOf(model) {
  return model.info?.status ?? notYet;
}

// The query of an address; anything unknown reads as its default.
export function gridQuery(search) {
  const params = new URLSearchParams(search);
  const status = params.get('status') ?? '';
  const sort = params.get('sort') ?? 'name';
  return {
    q: params.get('q') ?? '',
    folder: params.get('folder') ?? '',
    status: status in statusFilters ? status : '',
    sort: sort in sortOrders ? sort : 'name',
  };
}

// The address of the grid showing `query`: only what differs from the defaults.
export function gridUrl(query) {
  const params = new URLSearchParams();
  for (const key of queryKeys) {
    const value = query[key];
    if (value && !(key === 'sort' && value === 'name')) {
      params.set(key, value);
    }
  }
  const search = params.toString();
  return search ? `/?${search}` : '/';
}

// Every folder that holds a model, at any depth, with how many models are below it, in
// path order; '' is the whole tree.
export function folderCounts(models) {
  const counts = new Map([['', models.length]]);
  for (const model of models) {
    const folder = folderOf(model.path);
    for (let end = folder.indexOf('/'); end >= 0; end = folder.indexOf('/', end + 1)) {
      const above = folder.slice(0, end + 1);
      counts.set(above, (counts.get(above) ?? 0) + 1);
    }
  }
  return [...counts].sort(([a], [b]) => (a < b ? -1 : a > b ? 1 : 0)).map(([folder, count]) => ({ folder, count }));
}

// One collator for every comparison: localeCompare with options makes one per call.
const names = new Intl.Collator('en', { numeric: true });
const byName = (a, b) => names.compare(a.name, b.name) || (a.path < b.path ? -1 : 1);

function largestFirst(value) {
  return (a, b) => {
    const [x, y] = [value(a), value(b)];
    if (x !== y) {
      return x === undefined ? 1 : y === undefined ? -1 : y - x;
    }
    return byName(a, b);
  };
}

const comparers = {
  name: byName,
  size: largestFirst((model) => model.size),
  triangles: largestFirst((model) => (model.info && model.info.status !== 'failed' ? model.info.triangles : undefined)),
};

// The models the query selects, in its order.
export function selectModels(models, query) {
  const words = query.q.toLowerCase().split(/\s+/).filter(Boolean);
  const selected = models.filter((model) => {
    if (query.folder && !model.path.startsWith(query.folder)) {
      return false;
    }
    if (query.status && statusOf(model) !== query.status) {
      return false;
    }
    const path = model.path.toLowerCase();
    return words.every((word) => path.includes(word));
  });
  return selected.sort(comparers[query.sort]);
}
