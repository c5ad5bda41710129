// Building the page from text. Names come from files that may be hostile, so nothing the
// server sends is ever parsed as HTML: text goes in through textContent and text nodes.

export function el(tag, props = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(props)) {
    if (key === 'class') {
      node.className = value;
    } else if (key === 'text') {
      node.textContent = value;
    } else if (key.startsWith('data-') || key.startsWith('aria-')) {
      node.setAttribute(key, value);
    } else {
      node[key] = value;
    }
  }
  node.append(...children.filter((child) => child != null));
  return node;
}

const statusLabels = {
  'imported': 'Imported',
  'imported-with-omissions': 'Imported with omissions',
  'failed': 'Failed',
  'loading': 'Loading…',
  'unreachable': 'Not loaded',
  'missing': 'Not found',
};

export function setBadge(badge, status) {
  badge.dataset.status = status;
  badge.textContent = statusLabels[status] ?? status;
}

// The status a refused /api/model answer shows as: 404, the model is not there (moved,
// renamed or deleted since the listing or the link was made); anything else, not loaded.
export function refusedStatus(error) {
  return error.status === 404 ? 'missing' : 'unreachable';
}

export function plural(count, one, many) {
  return `${count.toLocaleString('en')} ${count === 1 ? one : many}`;
}

export function countsText(info) {
  return `${plural(info.objectCount, 'object', 'objects')} · ${plural(info.triangles, 'triangle', 'triangles')}`;
}

// A click that should open a link in place: not one asking for a new tab or window.
function isPlainClick(event) {
  return event.button === 0 && !(event.metaKey || event.ctrlKey || event.shiftKey || event.altKey);
}

// Plain clicks on links matching `selector` inside `root` go to `open(link)` in place;
// modified clicks (new tab, new window) stay links.
export function onPlainLinkClick(root, selector, open) {
  root.addEventListener('click', (event) => {
    const link = event.target.closest(selector);
    if (link && isPlainClick(event)) {
      event.preventDefault();
      open(link);
    }
  });
}
