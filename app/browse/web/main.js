// The page's frame: the address decides whether the grid or one model is shown, so a link,
// a reload, back and forward all open the same view.
import { listModels, pageState, pageUrl, shownPath } from './api.js';
import { el, onPlainLinkClick, plural } from './dom.js';
import { Grid } from './grid.js';
import { folderCounts, gridQuery, gridUrl, notYet, selectModels, sortOrders, statusFilters } from './grid_query.js';
import { DetailPanel } from './detail_panel.js';

const byId = (id) => document.getElementById(id);
const browse = byId('browse');
const modelSection = byId('model');
const search = byId('search');
const folderChoice = byId('folder');
const statusChoice = byId('status');
const sortChoice = byId('sort');

let models = [];
let listed = new Map();  // pathParam → model, from the listing
let openedParam = null;  // the model whose tile gets the focus back
let gridScrollY = 0;  // where the grid was left
let gridAddress = '/';  // the grid's address as last shown, where "All models" goes back to
const grid = new Grid(byId('grid'), (param) => navigate(pageUrl(param, false)), onInfo);
const detailPanel = new DetailPanel((lods) => navigate(pageUrl(pageState(location.search).model, lods)));

function navigate(url) {
  // The grid's scroll position goes with its history entry, so back returns to it.
  if (!browse.hidden) {
    gridScrollY = window.scrollY;
    history.replaceState({ scrollY: gridScrollY }, '');
  }
  history.pushState({}, '', url);
  route();
}

// The path and name shown for a model.
function shownModel(param) {
  const model = listed.get(param);
  if (model) {
    return model;
  }
  const path = shownPath(param);
  return { path, name: path.split('/').pop().replace(/\.model$/i, '') };
}

function route() {
  const { model, lods } = pageState(location.search);
  if (model) {
    const opening = browse.hidden === false || openedParam !== model;
    browse.hidden = true;
    modelSection.hidden = false;
    openedParam = model;
    const { path, name } = shownModel(model);
    detailPanel.open(model, lods, path, name);
    if (opening) {
      byId('model-name').focus();
    }
    return;
  }
  detailPanel.close();
  document.title = 'zenthor browse';
  modelSection.hidden = true;
  browse.hidden = false;
  showQuery(gridQuery(location.search));
  window.scrollTo(0, history.state?.scrollY ?? gridScrollY);
  grid.render();
  if (openedParam) {
    grid.tileFor(openedParam)?.focus({ preventScroll: true });
  }
}

// The grid as the query asks, its controls set to match.
function showQuery(query) {
  search.value = query.q;
  folderChoice.value = query.folder;
  if (folderChoice.value !== query.folder) {
    folderChoice.append(el('option', { value: query.folder, text: `${query.folder} (0)` }));
    folderChoice.value = query.folder;
  }
  statusChoice.value = query.status;
  sortChoice.value = query.sort;
  gridAddress = gridUrl(query);
  for (const back of document.querySelectorAll('a.back')) {
    back.href = gridAddress;
  }
  const shown = selectModels(models, query);
  grid.show(shown);
  const count = shown.length === models.length
    ? plural(models.length, 'model', 'models')
    : `${shown.length.toLocaleString('en')} of ${plural(models.length, 'model', 'models')}`;
  // The models the status or order cannot place yet.
  const waiting = (query.status || query.sort === 'triangles') && query.status !== notYet
    ? selectModels(models, { ...query, status: notYet }).length : 0;
  byId('count').textContent = waiting > 0 ? `${count} · ${plural(waiting, 'model', 'models')} not imported yet` : count;
  byId('grid-empty').hidden = shown.length > 0 || models.length === 0;
}

// The controls changed the query: the address follows, without a history entry per key.
function queryChanged() {
  const query = { q: search.value, folder: folderChoice.value, status: statusChoice.value, sort: sortChoice.value };
  history.replaceState(history.state, '', gridUrl(query));
  showQuery(query);
  scrollTo(0, 0);
}

// A model's import became known: where the query depends on it, the grid is chosen again
// (on the next frame, once for all that arrive together).
let reselectAsked = false;
function onInfo() {
  const query = gridQuery(location.search);
  if (browse.hidden || (!query.status && query.sort !== 'triangles') || reselectAsked) {
    return;
  }
  reselectAsked = true;
  requestAnimationFrame(() => {
    reselectAsked = false;
    if (!browse.hidden) {
      showQuery(gridQuery(location.search));
    }
  });
}

function fillChoices() {
  statusChoice.replaceChildren(...Object.entries(statusFilters).map(([value, text]) => el('option', { value, text })));
  sortChoice.replaceChildren(...Object.entries(sortOrders).map(([value, text]) => el('option', { value, text })));
}

function fillFolders() {
  folderChoice.replaceChildren(...folderCounts(models).map(({ folder, count }) => {
    const depth = folder ? folder.split('/').length - 2 : 0;
    const name = folder ? folder.split('/').at(-2) + '/' : 'All folders';
    // Indented by depth; the value is the whole folder.
    return el('option', { value: folder, text: `${'\u00a0\u00a0'.repeat(depth)}${name} (${count.toLocaleString('en')})` });
  }));
}

async function start() {
  window.addEventListener('popstate', route);
  // Links to the grid open it in place, where it was left.
  // "All models" goes back to the grid as it was left; the page's name, to the whole tree.
  onPlainLinkClick(document, 'a.back', () => navigate(gridAddress));
  onPlainLinkClick(document, 'a.home', () => navigate('/'));
  fillChoices();
  search.addEventListener('input', queryChanged);
  for (const choice of [folderChoice, statusChoice, sortChoice]) {
    choice.addEventListener('change', queryChanged);
  }
  // "/" jumps to the search box, as on many sites.
  document.addEventListener('keydown', (event) => {
    if (event.key === '/' && !browse.hidden && document.activeElement !== search) {
      event.preventDefault();
      search.focus();
    }
  });
  route();
  try {
    const listing = await listModels();
    models = listing.models;
    for (const model of models) {
      model.info = model.kept;  // what the server keeps needs no request
    }
    listed = new Map(models.map((model) => [model.pathParam, model]));
    byId('root').textContent = listing.root;
    byId('root').title = listing.root;
    grid.setConcurrency(listing.jobs ?? 4);
    fillFolders();
    if (!browse.hidden) {
      showQuery(gridQuery(location.search));
    }
    byId('grid-status').textContent = models.length === 0 ? 'There is no .model file in this folder.' : '';
    document.body.dataset.listed = models.length;
  } catch (error) {
    byId('grid-status').textContent = `The list of models could not be loaded: ${error.message}`;
  }
}

start();
