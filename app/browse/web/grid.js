// The grid of models: tiles of one size in rows, of which only the rows on and near the
// screen are in the page, so ten thousand models cost no more nodes, layout or picture
// decodes than a screenful. A tile shows its model's import once known: from the listing
// for results the server keeps, otherwise asked for while the tile is on or near the
// screen, the tiles on screen first.
import { modelInfo, pageUrl } from './api.js';
import { countsText, el, onPlainLinkClick, refusedStatus, setBadge } from './dom.js';
import { folderOf } from './grid_query.js';
import { PictureSheets } from './picture_sheets.js';

// Rows laid out beyond each edge of the screen, so that scrolling finds them ready.
const overscanScreens = 1;

// Loads in the order asked for, `limit` at a time; what is asked again moves to the end
// and what is no longer wanted is dropped before its turn.
class LoadQueue {
  constructor(limit, load) {
    this.limit = limit;
    this.load = load;
    this.waiting = new Set();
    this.running = new Set();
  }

  // From now on, only `items`, in this order.
  wantOnly(items) {
    this.waiting = new Set(items.filter((item) => !this.running.has(item)));
    this.pump();
  }

  pump() {
    while (this.running.size < this.limit && this.waiting.size > 0) {
      const item = this.waiting.values().next().value;
      this.waiting.delete(item);
      this.running.add(item);
      this.load(item).finally(() => {
        this.running.delete(item);
        this.pump();
      });
    }
  }
}

export function sizeText(bytes) {
  if (bytes < 1024) {
    return `${bytes} B`;
  }
  const units = ['KB', 'MB', 'GB'];
  let value = bytes / 1024;
  let unit = 0;
  while (value >= 1024 && unit < units.length - 1) {
    value /= 1024;
    unit += 1;
  }
  return `${value.toFixed(value < 10 ? 1 : 0)} ${units[unit]}`;
}

function makeTile(model) {
  const badge = el('span', { class: 'badge' });
  setBadge(badge, 'loading');
  const link = el('a', { class: 'tile-link', href: pageUrl(model.pathParam, false), 'data-param': model.pathParam },
    el('span', { class: 'thumb' }, el('img', { alt: '', width: 256, height: 256, decoding: 'async', hidden: true })),
    el('span', { class: 'tile-name', text: model.name }),
    el('span', { class: 'tile-folder', text: folderOf(model.path) }),
    el('span', { class: 'tile-facts' }, badge, el('span', { class: 'counts' }), el('span', { class: 'size', text: sizeText(model.size) })),
    el('span', { class: 'reason' }));
  return el('li', { class: 'tile', 'data-path': model.path, 'data-param': model.pathParam }, link);
}

function showPicture(tile, url) {
  const img = tile.querySelector('img');
  img.src = url;
  img.hidden = false;
  // Decoded now, off the main thread, rather than when the tile first scrolls into view.
  img.decode().catch(() => {});
}

// The tile shows the import; its picture is `picture` (null: still on its way).
function showInfo(tile, info, picture) {
  tile.dataset.status = info.status;
  setBadge(tile.querySelector('.badge'), info.status);
  tile.querySelector('.counts').textContent = info.status === 'failed' ? '' : countsText(info);
  const reason = tile.querySelector('.reason');
  reason.textContent = info.reason;
  reason.title = reason.textContent;
  if (picture) {
    showPicture(tile, picture);
  }
}

function showUnreachable(tile, error) {
  const status = refusedStatus(error);
  tile.dataset.status = status;
  setBadge(tile.querySelector('.badge'), status);
  tile.querySelector('.reason').textContent = status === 'missing' ? 'This model no longer exists.' : error.message;
}

// The grid's measures, from its style (app.css), which changes with the window's width.
function layoutOf(list) {
  const style = getComputedStyle(list);
  const number = (name) => parseFloat(style.getPropertyValue(name));
  const gap = number('--tile-gap');
  const width = list.clientWidth;
  const columns = Math.max(1, Math.floor((width + gap) / (number('--tile-min-width') + gap)));
  return { columns, gap, rowHeight: number('--tile-height') + gap, columnWidth: (width - gap * (columns - 1)) / columns };
}

export class Grid {
  // `onOpen(param)` opens a model; `onInfo(model)` hears of each import that becomes known.
  constructor(list, onOpen, onInfo) {
    this.list = list;
    this.onInfo = onInfo;
    this.models = [];
    this.tiles = new Map();  // model → its tile, for the models laid out now
    this.layout = null;
    this.queue = new LoadQueue(4, (model) => this.load(model));
    this.sheets = new PictureSheets((model, url) => {
      const tile = this.tiles.get(model);
      if (tile) {
        showPicture(tile, url);
      }
    });
    this.frameAsked = false;
    onPlainLinkClick(list, 'a.tile-link', (link) => onOpen(link.dataset.param));
    addEventListener('scroll', () => this.renderSoon(), { passive: true });
    addEventListener('resize', () => this.renderSoon(true));
  }

  // `jobs` imports run at once on the server. Twice as many requests keep the next import
  // waiting there when one ends; at most five leave one of Chromium's six connections to
  // a host for the pictures.
  setConcurrency(jobs) {
    this.queue.limit = Math.max(1, Math.min(2 * jobs, 5));
    this.queue.pump();
  }

  // Shows `models` (each with its `info` once known), in this order, from the top.
  show(models) {
    this.models = models;
    this.sheets.clear();
    this.render(true);
  }

  // The picture to show now for a model whose import is known: from its sheet, or its own.
  pictureOf(model) {
    const fromSheet = this.sheets.pictureOf(model);
    return fromSheet === undefined ? model.info.thumbnail : fromSheet;
  }

  renderSoon(measure = false) {
    this.measure ||= measure;
    if (!this.frameAsked) {
      this.frameAsked = true;
      requestAnimationFrame(() => {
        this.frameAsked = false;
        this.render(this.measure);
      });
    }
  }

  render(measure = false) {
    const remeasured = measure || !this.layout;
    if (remeasured) {
      this.layout = layoutOf(this.list);
    }
    this.measure = false;
    const { columns, gap, rowHeight, columnWidth } = this.layout;
    const rows = Math.ceil(this.models.length / columns);
    // The rows on screen, then as many again above and below.
    const top = scrollY - (this.list.getBoundingClientRect().top + scrollY);
    const overscan = innerHeight * overscanScreens;
    const firstRow = Math.max(0, Math.floor((top - overscan) / rowHeight));
    const lastRow = Math.min(rows, Math.ceil((top + innerHeight + overscan) / rowHeight));
    const first = firstRow * columns;
    const last = Math.min(this.models.length, lastRow * columns);
    this.list.style.height = `${Math.max(0, rows * rowHeight - gap)}px`;
    this.sheets.want(this.models, first, last);

    // Tiles stay where they are in the page while they are laid out: those that leave go,
    // those that come are added, and none of the others is touched.
    const kept = new Map();
    const added = [];
    for (let index = first; index < last; ++index) {
      const model = this.models[index];
      let tile = this.tiles.get(model);
      if (!tile) {
        tile = makeTile(model);
        if (model.info) {
          showInfo(tile, model.info, this.pictureOf(model));
        }
        added.push(tile);
      }
      if (!tile.isConnected || remeasured || tile.dataset.index !== String(index)) {
        tile.dataset.index = index;
        tile.style.transform = `translate(${(index % columns) * (columnWidth + gap)}px, ${Math.floor(index / columns) * rowHeight}px)`;
        tile.style.width = `${columnWidth}px`;
      }
      kept.set(model, tile);
    }
    for (const [model, tile] of this.tiles) {
      if (!kept.has(model)) {
        tile.remove();
        delete model.refused;  // asked again when it is laid out again
      }
    }
    this.list.append(...added);
    this.tiles = kept;

    // The tiles on screen first, in reading order, then those around them.
    const onScreenFirst = Math.max(first, Math.floor(top / rowHeight) * columns);
    const unknown = (model) => !model.info && !model.refused;
    this.queue.wantOnly([...this.models.slice(onScreenFirst, last), ...this.models.slice(first, onScreenFirst)]
      .filter(unknown));
  }

  async load(model) {
    try {
      model.info = await modelInfo(model.pathParam, false);
      this.onInfo(model);
    } catch (error) {
      model.refused = true;
      const tile = this.tiles.get(model);
      if (tile) {
        showUnreachable(tile, error);
      }
      return;
    }
    const tile = this.tiles.get(model);
    if (tile) {
      showInfo(tile, model.info, model.info.thumbnail);
    }
  }

  // The link of the model's tile, laid out and scrolled into view if need be; null when the
  // grid does not show the model.
  tileFor(param) {
    const index = this.models.findIndex((model) => model.pathParam === param);
    if (index < 0) {
      return null;
    }
    const model = this.models[index];
    if (!this.tiles.has(model)) {
      const { columns, rowHeight } = this.layout ?? layoutOf(this.list);
      const listTop = this.list.getBoundingClientRect().top + scrollY;
      scrollTo(0, listTop + Math.floor(index / columns) * rowHeight);
      this.render();
    }
    return this.tiles.get(model)?.querySelector('a') ?? null;
  }
}
