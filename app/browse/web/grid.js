// The grid of every model: one tile per model, filled with its import's answer once the
// tile comes near the view. Tiles are all of one size (app.css), so filling one costs no
// layout of the others.
import { modelInfo, pageUrl } from './api.js';
import { countsText, el, onPlainLinkClick, reasonText, refusedStatus, setBadge } from './dom.js';

// Each answer may be a fresh import on the server; a few at a time keep its workers busy
// without queueing imports for tiles the user has already scrolled past.
const concurrentLoads = 4;

class LoadQueue {
  constructor(limit, load) {
    this.limit = limit;
    this.load = load;
    this.waiting = new Set();  // in the order the tiles came into view
    this.running = 0;
  }

  want(item) {
    this.waiting.add(item);
    this.pump();
  }

  drop(item) {
    this.waiting.delete(item);
  }

  pump() {
    while (this.running < this.limit && this.waiting.size > 0) {
      const item = this.waiting.values().next().value;
      this.waiting.delete(item);
      this.running += 1;
      this.load(item).finally(() => {
        this.running -= 1;
        this.pump();
      });
    }
  }
}

function folderOf(path) {
  const slash = path.lastIndexOf('/');
  return slash < 0 ? '' : path.slice(0, slash + 1);
}

function makeTile(model) {
  const badge = el('span', { class: 'badge' });
  setBadge(badge, 'loading');
  const link = el('a', { class: 'tile-link', href: pageUrl(model.pathParam, false), 'data-param': model.pathParam },
    el('span', { class: 'thumb' }, el('img', { alt: '', width: 256, height: 256, decoding: 'async', hidden: true })),
    el('span', { class: 'tile-name', text: model.name }),
    el('span', { class: 'tile-folder', text: folderOf(model.path) }),
    el('span', { class: 'tile-facts' }, badge, el('span', { class: 'counts' })),
    el('span', { class: 'reason' }));
  return el('li', { class: 'tile', 'data-path': model.path, 'data-param': model.pathParam }, link);
}

function showInfo(tile, info) {
  tile.dataset.status = info.status;
  setBadge(tile.querySelector('.badge'), info.status);
  tile.querySelector('.counts').textContent = info.status === 'failed' ? '' : countsText(info);
  const reason = tile.querySelector('.reason');
  reason.textContent = reasonText(info);
  reason.title = reason.textContent;
  if (info.thumbnail) {
    const img = tile.querySelector('img');
    img.src = info.thumbnail;
    img.hidden = false;
  }
}

function showUnreachable(tile, error) {
  const status = refusedStatus(error);
  tile.dataset.status = status;
  setBadge(tile.querySelector('.badge'), status);
  tile.querySelector('.reason').textContent = status === 'missing' ? 'This model no longer exists.' : error.message;
}

export class Grid {
  constructor(list, onOpen) {
    this.list = list;
    this.models = new Map();  // tile → model
    this.queue = new LoadQueue(concurrentLoads, (tile) => this.fill(tile));
    this.observer = new IntersectionObserver((entries) => {
      for (const entry of entries) {
        if (entry.isIntersecting) {
          this.queue.want(entry.target);
        } else {
          this.queue.drop(entry.target);
        }
      }
    }, { rootMargin: '400px 0px' });
    onPlainLinkClick(list, 'a.tile-link', (link) => onOpen(link.dataset.param));
  }

  show(models) {
    const tiles = models.map((model) => {
      const tile = makeTile(model);
      this.models.set(tile, model);
      return tile;
    });
    this.list.replaceChildren(...tiles);
    tiles.forEach((tile) => this.observer.observe(tile));
  }

  async fill(tile) {
    try {
      showInfo(tile, await modelInfo(this.models.get(tile).pathParam, false));
      this.observer.unobserve(tile);
    } catch (error) {
      showUnreachable(tile, error);  // still observed: it is asked again when it comes back into view
    }
  }

  // Shows the tiles whose path holds every word of the query; returns how many.
  filter(query) {
    const words = query.toLowerCase().split(/\s+/).filter(Boolean);
    let shown = 0;
    for (const [tile, model] of this.models) {
      const path = model.path.toLowerCase();
      tile.hidden = !words.every((word) => path.includes(word));
      shown += tile.hidden ? 0 : 1;
    }
    return shown;
  }

  tileFor(param) {
    return this.list.querySelector(`li[data-param="${CSS.escape(param)}"] a`);
  }
}
