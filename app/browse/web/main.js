// The page's frame: the address decides whether the grid or one model is shown, so a link,
// a reload, back and forward all open the same view.
import { listModels, pageState, pageUrl, shownPath } from './api.js';
import { onPlainLinkClick, plural } from './dom.js';
import { Grid } from './grid.js';
import { DetailPanel } from './detail_panel.js';

const byId = (id) => document.getElementById(id);
const browse = byId('browse');
const modelSection = byId('model');
const search = byId('search');

let models = [];
let listed = new Map();  // pathParam → model, from the listing
let openedParam = null;  // the model whose tile gets the focus back
let gridScrollY = 0;  // where the grid was left
const grid = new Grid(byId('grid'), (param) => navigate(pageUrl(param, false)));
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
  window.scrollTo(0, history.state?.scrollY ?? gridScrollY);
  if (openedParam) {
    grid.tileFor(openedParam)?.focus({ preventScroll: true });
  }
}

function showCount() {
  const shown = grid.filter(search.value);
  byId('count').textContent = shown === models.length
    ? plural(models.length, 'model', 'models')
    : `${shown.toLocaleString('en')} of ${plural(models.length, 'model', 'models')}`;
  byId('grid-empty').hidden = shown > 0 || models.length === 0;
}

async function start() {
  window.addEventListener('popstate', route);
  // Links to the grid open it in place, where it was left.
  onPlainLinkClick(document, 'a[href="/"]', () => navigate('/'));
  search.addEventListener('input', showCount);
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
    listed = new Map(models.map((model) => [model.pathParam, model]));
    byId('root').textContent = listing.root;
    byId('root').title = listing.root;
    grid.show(models);
    showCount();
    byId('grid-status').textContent = models.length === 0 ? 'There is no .model file in this folder.' : '';
    document.body.dataset.listed = models.length;
  } catch (error) {
    byId('grid-status').textContent = `The list of models could not be loaded: ${error.message}`;
  }
}

start();
