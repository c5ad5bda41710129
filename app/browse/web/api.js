// The server's API (docs/BROWSE_API.md) and the page's own URLs.

// One request per model and answer: the grid and the 3D view share the import a tile started.
const infoCache = new Map();

// A refused answer throws an Error whose `status` is the HTTP status.
async function get(url) {
  const response = await fetch(url);
  if (!response.ok) {
    const error = new Error(`the server answered ${response.status} ${response.statusText}`.trim());
    error.status = response.status;
    throw error;
  }
  return response;
}

async function getJson(url) {
  return (await get(url)).json();
}

export async function fetchBytes(url) {
  return (await get(url)).arrayBuffer();
}

export async function fetchBlob(url) {
  return (await get(url)).blob();
}

export function listModels() {
  return getJson('/api/models');
}

// `param` is the model's pathParam (below).
export function modelInfo(param, lods) {
  const url = `/api/model?path=${param}&lods=${lods ? 1 : 0}`;
  let answer = infoCache.get(url);
  if (!answer) {
    // A failed request is forgotten so that the next look retries it.
    // A failed import may leave out what it does not have.
    answer = getJson(url).then((info) => ({ objects: [], objectCount: 0, triangles: 0, reason: '', reportText: '', ...info })).catch((error) => {
      infoCache.delete(url);
      throw error;
    });
    infoCache.set(url, answer);
  }
  return answer;
}

// A file name is bytes, which need not be UTF-8 text. The server names each model by its
// `pathParam`: its bytes percent-encoded, but for letters, digits, "-._~" and "/". This
// is that form of any spelling of a path in an address, so both name the model alike.
const plainByte = /^[A-Za-z0-9\-._~/]$/;
export function pathParam(spelled) {
  const bytes = [];
  const utf8 = new TextEncoder();
  for (let i = 0; i < spelled.length;) {
    const hex = spelled.slice(i + 1, i + 3);
    if (spelled[i] === '%' && /^[0-9A-Fa-f]{2}$/.test(hex)) {
      bytes.push(parseInt(hex, 16));
      i += 3;
    } else {
      const char = String.fromCodePoint(spelled.codePointAt(i));
      bytes.push(...utf8.encode(char === '+' ? ' ' : char));
      i += char.length;
    }
  }
  return bytes.map((byte) => {
    const char = String.fromCharCode(byte);
    return plainByte.test(char) ? char : `%${byte.toString(16).toUpperCase().padStart(2, '0')}`;
  }).join('');
}

// The path to show for a pathParam the listing does not name (a model that has gone).
export function shownPath(param) {
  try {
    return decodeURIComponent(param);
  } catch {
    return param;  // not UTF-8: shown as it is named
  }
}

// The page's address for a model, by its pathParam, which keeps the slashes readable.
export function pageUrl(param, lods) {
  return `/?model=${param}${lods ? '&lods=1' : ''}`;
}

// What the page's address asks for: a model (its pathParam, with its lods answer) or the
// grid. The model is read as spelled: URLSearchParams would take its bytes as UTF-8.
export function pageState(search) {
  const params = new URLSearchParams(search);
  const spelled = search.replace(/^\?/, '').split('&').find((part) => part.startsWith('model='));
  return { model: spelled ? pathParam(spelled.slice('model='.length)) || null : null, lods: params.get('lods') === '1' };
}
