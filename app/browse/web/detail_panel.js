// The detail panel, the page of one model: its 3D view, the objects it is made of (each can
// be hidden, its texture opened as a picture), what the import left out, the summary the
// importer showed, and its downloads.
// A control that acts on the view is offered only while there is a view; "Include lods"
// stays while the model is there, failed or not: the other import loads the level-of-detail
// files this one left out, and may turn out otherwise.
import { fetchBytes, modelInfo } from './api.js';
import { countsText, el, onPlainLinkClick, plural, refusedStatus, setBadge } from './dom.js';
import { TextureDialog } from './texture_dialog.js';

const byId = (id) => document.getElementById(id);

export class DetailPanel {
  constructor(onLodsChange) {
    this.stage = byId('stage');
    this.message = byId('stage-message');
    this.objectList = byId('object-list');
    // Made when first needed: the grid alone loads neither three.js nor WebGL.
    this.viewer = null;
    this.viewerMade = null;
    this.token = 0;  // the latest open(); answers for older ones are dropped
    this.pinned = null;
    this.viewedParam = null;  // the model the camera was placed for; its other imports keep it
    this.textureDialog = new TextureDialog();

    byId('wireframe').addEventListener('change', (event) => this.viewer?.setWireframe(event.target.checked));
    byId('lods').addEventListener('change', (event) => onLodsChange(event.target.checked));
    byId('reset-view').addEventListener('click', () => this.viewer?.frame());

    // Hovering or focusing an object shows it; clicking its name pins it until clicked again.
    const indexOf = (event, selector) => event.target.closest(selector)?.dataset.index;
    this.objectList.addEventListener('click', (event) => {
      const index = indexOf(event, 'button[data-index]');
      if (index !== undefined) {
        this.pin(this.pinned === Number(index) ? null : Number(index));
      }
    });
    this.objectList.addEventListener('change', (event) => {
      const index = indexOf(event, 'input[data-index]');
      if (index !== undefined) {
        event.target.closest('li').toggleAttribute('data-hidden', !event.target.checked);
        this.viewer?.setVisible(Number(index), event.target.checked);
      }
    });
    onPlainLinkClick(this.objectList, 'a.texture-link', (link) => this.textureDialog.open(link.textContent, link.href));
    for (const type of ['pointerover', 'focusin']) {
      this.objectList.addEventListener(type, (event) => {
        const index = indexOf(event, 'li[data-index]');
        this.viewer?.highlight(index === undefined ? this.pinned : Number(index));
      });
    }
    for (const type of ['pointerleave', 'focusout']) {
      this.objectList.addEventListener(type, () => this.viewer?.highlight(this.pinned));
    }
  }

  // The model `param` (its pathParam), shown as `path` and `name`.
  async open(param, lods, path, name) {
    const token = ++this.token;
    this.showHeader(path, lods, name);
    this.setState('loading', 'Importing…');
    // three.js loads and the viewer is made while the server imports and the view downloads.
    const viewerMade = (this.viewerMade ??= this.makeViewer());
    viewerMade.catch(() => {});  // awaited below; a failure is reported there
    let info;
    try {
      info = await modelInfo(param, lods);
    } catch (error) {
      if (token === this.token) {
        const status = refusedStatus(error);
        setBadge(byId('model-badge'), status);
        byId('model-panel').hidden = true;  // nothing to tell about it
        if (status === 'missing') {
          this.setState('missing', `${path} is not in the content folder: it was moved, renamed or deleted.`);
        } else {
          this.setState('error', `The model could not be loaded: ${error.message}`);
        }
      }
      return;
    }
    if (token !== this.token) {
      return;
    }
    this.showInfo(info);
    if (info.status === 'failed') {
      this.setState('failed', info.error || 'The import failed.');
      return;
    }
    this.setState('loading', 'Loading the 3D view…');
    try {
      const bytes = fetchBytes(info.view);
      bytes.catch(() => {});
      const viewer = await viewerMade;
      const gltf = await viewer.parse(await bytes, info.view);
      if (token !== this.token) {
        viewer.discard(gltf);
        return;
      }
      const shown = viewer.show(gltf, { keepCamera: this.viewedParam === param });
      this.viewedParam = param;
      this.stage.dataset.objects = shown.objects;
      this.stage.dataset.textured = shown.textured;
      const textures = info.objects.filter((object) => object.texture).length;
      byId('view-note').textContent = shown.textured < textures
        ? `${textures - shown.textured} of ${plural(textures, 'texture', 'textures')} could not be shown` : '';
      this.setState('ready', '');
    } catch (error) {
      if (token === this.token) {
        this.setState('error', `The 3D view could not be shown: ${error.message}`);
      }
    }
  }

  close() {
    this.token += 1;
    this.viewedParam = null;
    this.viewer?.clear();
  }

  async makeViewer() {
    const { Viewer } = await import('./viewer.js');
    const viewer = new Viewer(byId('view'));
    byId('wireframe').checked = false;
    let down = null;
    // A click without a drag picks the object under the pointer.
    viewer.canvas.addEventListener('pointerdown', (event) => {
      down = event.button === 0 ? { x: event.clientX, y: event.clientY } : null;
    });
    viewer.canvas.addEventListener('pointerup', (event) => {
      if (down && Math.hypot(event.clientX - down.x, event.clientY - down.y) < 5) {
        this.pin(viewer.objectAt(event.clientX, event.clientY));
      }
    });
    this.viewer = viewer;
    return viewer;
  }

  setState(state, message) {
    this.stage.dataset.state = state;
    this.message.hidden = state === 'ready';
    this.message.querySelector('.title').textContent = {
      failed: 'This model failed to import',
      missing: 'This model no longer exists',
      error: 'Something went wrong',
    }[state] ?? '';
    this.message.querySelector('.text').textContent = message;
    byId('wireframe').disabled = state !== 'ready';
    byId('reset-view').disabled = state !== 'ready';
    byId('lods').disabled = state === 'missing';
  }

  pin(index) {
    this.pinned = index;
    for (const button of this.objectList.querySelectorAll('button[data-index]')) {
      const pressed = Number(button.dataset.index) === index;
      button.setAttribute('aria-pressed', String(pressed));
      if (pressed) {
        button.scrollIntoView({ block: 'nearest' });
      }
    }
    this.viewer?.highlight(index);
  }

  showHeader(path, lods, name) {
    document.title = `${name} · zenthor browse`;
    byId('model-name').textContent = name;
    byId('model-path').textContent = path;
    byId('lods').checked = lods;
    setBadge(byId('model-badge'), 'loading');
    byId('model-panel').hidden = false;
    byId('model-counts').textContent = '';
    this.pinned = null;
    this.viewer?.clear();
    delete this.stage.dataset.objects;
    delete this.stage.dataset.textured;
    byId('view-note').textContent = '';
    this.objectList.replaceChildren();
    byId('object-count').textContent = '';
    byId('report-text').textContent = '';
    byId('files-read').replaceChildren();
    byId('files-read-count').textContent = '';
    byId('summary-title').textContent = '';
    byId('summary-text').textContent = '';
    byId('downloads').hidden = true;
  }

  showInfo(info) {
    const failed = info.status === 'failed';
    setBadge(byId('model-badge'), info.status);
    byId('model-counts').textContent = failed ? '' : countsText(info);

    byId('object-count').textContent = `(${info.objects.length})`;
    this.objectList.replaceChildren(...info.objects.map((object, index) => {
      const texture = object.textureUrl
        ? el('a', { class: 'texture-link', href: object.textureUrl, title: 'Show this texture', text: object.texture })
        : (object.texture ?? 'no texture');
      return el('li', { 'data-index': index },
        el('input', { type: 'checkbox', class: 'object-shown', checked: true, 'data-index': index,
          'aria-label': `Show ${object.name}`, title: 'Show or hide this object' }),
        el('button', { type: 'button', class: 'object-pick', 'data-index': index, 'aria-pressed': 'false' },
          el('span', { class: 'object-name', text: object.name }),
          el('span', { class: 'object-material', text: object.material })),
        el('span', { class: 'object-facts' }, `${plural(object.triangles, 'triangle', 'triangles')} · `, texture));
    }));

    // A failed import's report says why first, then what it had left out by then.
    byId('report-text').textContent = failed
      ? [`The import failed: ${info.error || 'no reason was given.'}`, info.reportText.trim()].filter(Boolean).join('\n\n')
      : info.reportText || 'Nothing was left out.';
    // Every referenced file with what became of it.
    const references = info.report?.references ?? [];
    byId('files-read-count').textContent = `(${references.length})`;
    byId('files-read').replaceChildren(...references.map((reference) => el('li', {
      text: `${reference.path}: ${reference.outcome}${reference.why ? ` (${reference.why})` : ''}`,
    })));

    byId('summary-title').textContent = info.summary?.title ?? '';
    byId('summary-text').textContent = info.summary?.text ?? 'The importer showed no summary.';

    byId('downloads').hidden = failed;
    if (!failed) {
      for (const format of ['glb', 'gltf', 'obj']) {
        byId(`download-${format}`).href = info.downloads[format];
      }
    }
  }
}
