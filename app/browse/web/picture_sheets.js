// The pictures of kept imports come in sheets: one request answers for the pictures of up
// to `sheetSize` neighbouring tiles (/api/thumbnails). Each picture's address names its
// version, and so does the sheet's, so a browser keeps a sheet for good. A sheet's
// pictures are object URLs, given back once no tile of the sheet is laid out.
import { fetchBytes } from './api.js';

const sheetSize = 32;

// The version of a kept import's picture, which its address ends in; null for none.
function versionOf(model) {
  const thumbnail = model.info?.thumbnail;
  return thumbnail ? new URL(thumbnail, location.href).searchParams.get('v') : null;
}

// The pictures a sheet's bytes hold, in order: each a 4-byte big-endian length, then that
// many bytes of PNG; a length of 0 for a model that has none.
function splitSheet(bytes) {
  const view = new DataView(bytes);
  const pictures = [];
  for (let at = 0; at + 4 <= bytes.byteLength;) {
    const length = view.getUint32(at);
    pictures.push(length > 0 ? new Blob([new Uint8Array(bytes, at + 4, length)], { type: 'image/png' }) : null);
    at += 4 + length;
  }
  return pictures;
}

export class PictureSheets {
  // `show(model, url)` puts a picture on the model's tile, if it is laid out.
  constructor(show) {
    this.show = show;
    this.sheets = new Map();  // first index → { urls: Map(model → object URL) }
  }

  // The models laid out are `models[first..last)`: their sheets are asked for, and the
  // sheets of none of them given back.
  want(models, first, last) {
    const firstSheet = Math.floor(first / sheetSize) * sheetSize;
    for (const [start, sheet] of this.sheets) {
      if (start + sheetSize <= first || start >= last) {
        this.release(start, sheet);
      }
    }
    for (let start = firstSheet; start < last; start += sheetSize) {
      if (!this.sheets.has(start)) {
        this.ask(start, models.slice(start, start + sheetSize).filter((model) => versionOf(model)));
      }
    }
  }

  // The picture of `model` from a sheet asked for, or undefined when no sheet holds it.
  pictureOf(model) {
    for (const sheet of this.sheets.values()) {
      if (sheet.members.has(model)) {
        return sheet.urls.get(model) ?? null;  // null: on its way
      }
    }
    return undefined;
  }

  // Every sheet given back, as when the grid shows other models.
  clear() {
    for (const [start, sheet] of this.sheets) {
      this.release(start, sheet);
    }
  }

  async ask(start, members) {
    const sheet = { members: new Set(members), urls: new Map(), released: false };
    this.sheets.set(start, sheet);
    if (members.length === 0) {
      return;
    }
    const query = members.map((model) => `path=${model.pathParam}&v=${versionOf(model)}`).join('&');
    let pictures = [];
    try {
      pictures = splitSheet(await fetchBytes(`/api/thumbnails?${query}`));
    } catch {
      // Each tile falls back to its own picture.
    }
    if (sheet.released) {
      return;
    }
    members.forEach((model, index) => {
      const picture = pictures[index];
      const url = picture ? URL.createObjectURL(picture) : model.info.thumbnail;
      if (picture) {
        sheet.urls.set(model, url);
      } else {
        sheet.members.delete(model);
      }
      this.show(model, url);
    });
  }

  release(start, sheet) {
    sheet.released = true;
    for (const url of sheet.urls.values()) {
      URL.revokeObjectURL(url);
    }
    this.sheets.delete(start);
  }
}
