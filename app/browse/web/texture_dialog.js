// One texture as a picture, in a dialog over the page. The server decodes it (/api/texture);
// a texture it cannot give is said to be so, never shown as a broken picture.
import { fetchBlob } from './api.js';

const byId = (id) => document.getElementById(id);

// A smaller texture is enlarged by a whole factor to at least this size, its texels sharp.
const smallestShown = 256;

// Why a texture cannot be shown, by the status the server refused it with.
const refusals = {
  404: 'it is not in the content folder any more',
  415: 'its file is not a picture this server can decode (an unsupported format, or a damaged file)',
};

export class TextureDialog {
  constructor() {
    this.dialog = byId('texture-dialog');
    this.picture = byId('texture-picture');
    this.message = byId('texture-message');
    this.token = 0;  // the latest open(); answers for older ones are dropped
    this.pictureUrl = null;
    this.dialog.addEventListener('close', () => {
      this.token += 1;
      this.release();
    });
  }

  async open(name, url) {
    const token = ++this.token;
    this.release();
    byId('texture-title').textContent = name;
    byId('texture-size').textContent = '';
    this.setState('loading', 'Loading the picture…');
    if (!this.dialog.open) {
      this.dialog.showModal();
    }
    try {
      // Fetched rather than given to the image as its address, so a refusal says why.
      const blob = await fetchBlob(url);
      if (token !== this.token) {
        return;
      }
      this.pictureUrl = URL.createObjectURL(blob);
      this.picture.src = this.pictureUrl;
      await this.picture.decode();
      if (token !== this.token) {
        return;
      }
      const { naturalWidth: width, naturalHeight: height } = this.picture;
      const scale = Math.max(1, Math.floor(smallestShown / Math.max(width, height)));
      this.picture.style.width = scale > 1 ? `${width * scale}px` : '';
      this.picture.classList.toggle('enlarged', scale > 1);
      byId('texture-size').textContent = `${width} × ${height}`;
      this.setState('shown', '');
    } catch (error) {
      if (token === this.token) {
        this.release();
        this.setState('failed', `This texture cannot be shown: ${refusals[error.status] ?? error.message}`);
      }
    }
  }

  setState(state, message) {
    this.dialog.dataset.state = state;
    this.picture.hidden = state !== 'shown';
    this.message.hidden = state === 'shown';
    this.message.textContent = message;
  }

  release() {
    this.picture.removeAttribute('src');
    if (this.pictureUrl) {
      URL.revokeObjectURL(this.pictureUrl);
      this.pictureUrl = null;
    }
  }
}
