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

export function modelInfo(path, lods) {
  const url = `/api/model?path=${encodeURIComponent(path)}&lods=${lods ? 1 : 0}`;
  let answer = infoCache.get(url);
  if (!answer) {
    // A failed request is forgotten so that the next look retries it.
    // A failed import may leave out what it does not have.
    answer = getJson(url).then((info) => ({ objects: [], triangles: 0, reportText: '', ...info })).catch((error) => {
      infoCache.delete(url);
      throw error;
    });
    infoCache.set(url, answer);
  }
  return answer;
}

// The page's address for a model; slashes are kept so that the address stays readable.
export function pageUrl(path, lods) {
  return `/?model=${encodeURIComponent(path).replaceAll('%2F', '/')}${lods ? '&lods=1' : ''}`;
}

// What the page's address asks for: a model (with its lods answer) or the grid.
export function pageState(search) {
  const params = new URLSearchParams(search);
  return { model: params.get('model'), lods: params.get('lods') === '1' };
}
