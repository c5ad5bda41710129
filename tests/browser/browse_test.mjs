// Drives the browse page in headless Chromium against a running `zenthor browse` and checks
// what its users rely on. The expected answers come from the server's own API, so any tree
// works that holds a failed model and a model with level-of-detail references.
//
//   node tests/browser/browse_test.mjs --url http://127.0.0.1:PORT/ --screenshot FILE.png
//
// FILE.png gets the 3D view of a textured model, FILE.grid.png the grid, FILE.failed.png a
// failed model's page and FILE.texture.png a texture opened as a picture. Exit status 0
// when every check passed, 1 when any failed, 2 on a usage or start-up error.
import { mkdirSync } from 'node:fs';
import { dirname } from 'node:path';
import { parseArgs } from 'node:util';
import puppeteer from 'puppeteer-core';

const { values: options } = parseArgs({
  options: {
    url: { type: 'string' },
    screenshot: { type: 'string' },
    chromium: { type: 'string', default: '/usr/bin/chromium' },
    timeout: { type: 'string', default: '60' },  // seconds for one import or one view
  },
});
if (!options.url || !options.screenshot) {
  console.error('usage: browse_test.mjs --url BASE_URL --screenshot FILE.png [--chromium PATH] [--timeout SECONDS]');
  process.exit(2);
}
const base = new URL(options.url);
const timeout = Number(options.timeout) * 1000;

async function api(path) {
  const response = await fetch(new URL(path, base));
  if (!response.ok) {
    throw new Error(`${path}: ${response.status}`);
  }
  return response.json();
}
const infoOf = (path, lods) => api(`/api/model?path=${encodeURIComponent(path)}&lods=${lods ? 1 : 0}`);
// A CSS selector for the tile of a model (paths may hold quotes and backslashes).
const tileOf = (path) => `#grid li[data-path="${path.replace(/["\\]/g, '\\$&')}"]`;
const pageOf = (path, lods) => new URL(`/?model=${encodeURIComponent(path)}${lods ? '&lods=1' : ''}`, base).href;
const screenshotAs = (kind) => options.screenshot.replace(/(\.png)?$/, `.${kind}.png`);

function assert(condition, message) {
  if (!condition) {
    throw new Error(message);
  }
}

function assertEqual(actual, expected, what) {
  assert(JSON.stringify(actual) === JSON.stringify(expected),
    `${what}: got ${JSON.stringify(actual)}, expected ${JSON.stringify(expected)}`);
}

// What the model page shows once its view has settled (drawn, failed or broken).
async function settledView(page) {
  await page.waitForFunction(() => {
    const stage = document.getElementById('stage');
    return !document.getElementById('model').hidden && stage.dataset.state !== 'loading';
  }, { timeout });
  return page.evaluate(() => {
    const stage = document.getElementById('stage');
    return {
      state: stage.dataset.state,
      message: document.querySelector('#stage-message .text').textContent,
      objects: Number(stage.dataset.objects),
      textured: Number(stage.dataset.textured),
      name: document.getElementById('model-name').textContent,
      badge: document.getElementById('model-badge').dataset.status,
      lods: document.getElementById('lods').checked,
      enabled: Object.fromEntries(['wireframe', 'reset-view', 'lods'].map((id) => [id, !document.getElementById(id).disabled])),
      report: document.getElementById('report-text').textContent,
      listed: [...document.querySelectorAll('#object-list .object-name')].map((node) => node.textContent),
    };
  });
}

async function drawnView(page) {
  const view = await settledView(page);
  assert(view.state === 'ready', `the view did not draw (${view.state}): ${view.message}`);
  return view;
}

// The share of the canvas's pixels that differ clearly from its top-left corner (the
// background: the camera frames the model with a margin).
function drawnShare(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('view');
    const copy = Object.assign(document.createElement('canvas'), { width: canvas.width, height: canvas.height });
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const { data } = context.getImageData(0, 0, copy.width, copy.height);
    let differing = 0;
    for (let i = 0; i < data.length; i += 4) {
      const distance = Math.abs(data[i] - data[0]) + Math.abs(data[i + 1] - data[1]) + Math.abs(data[i + 2] - data[2]);
      differing += distance > 24 ? 1 : 0;
    }
    return differing / (data.length / 4);
  });
}

// Lets the view draw what its controls changed.
function nextFrames(page) {
  return page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
}

async function openGrid(page) {
  await page.goto(base.href);
  await page.waitForSelector('body[data-listed]', { timeout });
}

async function main() {
  const listing = await api('/api/models');
  const infos = new Map();
  for (const model of listing.models) {
    infos.set(model.path, await infoOf(model.path, false));
  }
  const all = [...infos.values()];
  const failed = all.find((info) => info.status === 'failed');
  const textured = all.filter((info) => info.status !== 'failed')
    .sort((a, b) => b.objects.filter((o) => o.texture).length - a.objects.filter((o) => o.texture).length)[0];
  const withLods = all.find((info) => info.report?.levelOfDetailSkipped?.length > 0);
  assert(failed && textured?.objects.some((o) => o.texture) && withLods,
    'the tree needs a failed model, a model with textures and one with level-of-detail references');

  mkdirSync(dirname(options.screenshot), { recursive: true });
  const browser = await puppeteer.launch({
    executablePath: options.chromium,
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--no-first-run'],
  });
  const failures = [];
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 800 });
    const pageErrors = [];
    const refusalsAskedFor = [];  // addresses a check has the server refuse on purpose
    page.on('pageerror', (error) => pageErrors.push(error.message));
    page.on('console', (message) => {
      const url = message.location()?.url ?? '';
      if (message.type() === 'error' && !refusalsAskedFor.some((part) => url.includes(part))) {
        pageErrors.push(`${message.text()} ${url}`);
      }
    });

    const check = async (name, body) => {
      try {
        await body();
        console.log(`ok - ${name}`);
      } catch (error) {
        failures.push(name);
        console.log(`not ok - ${name}\n    ${error.message.replaceAll('\n', '\n    ')}`);
      }
    };

    await check('every model is listed under its own name, with its import status, counts and picture', async () => {
      await openGrid(page);
      const tiles = await page.$$eval('#grid li', (nodes) => nodes.map((node) => node.dataset.path));
      assertEqual(tiles.sort(), listing.models.map((model) => model.path).sort(), 'tiles');
      const labels = new Map();  // badge labels by status
      for (const model of listing.models) {
        // Tiles load as they come into view, so each is brought there.
        const tile = tileOf(model.path);
        await page.$eval(tile, (node) => node.scrollIntoView({ block: 'center' }));
        await page.waitForFunction((selector) => {
          const node = document.querySelector(selector);
          return node.dataset.status && node.querySelector('img').complete;
        }, { timeout }, tile);
        const shown = await page.$eval(tile, (node) => ({
          name: node.querySelector('.tile-name').textContent,
          status: node.querySelector('.badge').dataset.status,
          label: node.querySelector('.badge').textContent,
          counts: node.querySelector('.counts').textContent,
          pictureWidth: node.querySelector('img').naturalWidth,
        }));
        const info = infos.get(model.path);
        assertEqual(shown.name, model.name, `name of ${model.path}`);
        assertEqual(shown.status, info.status, `badge of ${model.path}`);
        // One label for each status, the same on every tile.
        assert(shown.label !== '' && shown.label === (labels.get(shown.status) ?? shown.label),
          `label of ${model.path}: ${shown.label}`);
        labels.set(shown.status, shown.label);
        // The numbers it shows, as the server counts them.
        const counts = (shown.counts.match(/\d[\d,]*/g) ?? []).map((n) => Number(n.replaceAll(',', '')));
        assertEqual(counts, info.status === 'failed' ? [] : [info.objects.length, info.triangles], `counts of ${model.path}`);
        assert(shown.pictureWidth > 0, `the picture of ${model.path} did not load`);
      }
      assertEqual(new Set(labels.values()).size, labels.size, `statuses told apart by their labels ${JSON.stringify([...labels])}`);
      await page.evaluate(() => window.scrollTo(0, 0));
      await page.screenshot({ path: screenshotAs('grid') });
    });

    await check('folder, status and order are chosen in the page, kept in its address and by a reload', async () => {
      const shownTiles = () => page.$$eval('#grid li', (nodes) => nodes.map((node) => node.dataset.path));
      const folder = failed.path.slice(0, failed.path.lastIndexOf('/') + 1);
      const below = listing.models.filter((model) => model.path.startsWith(folder));
      await openGrid(page);
      const folderOption = await page.$eval(`#folder option[value="${folder}"]`, (option) => option.textContent);
      assert(folderOption.includes(`(${below.length})`), `the folder's choice does not count its ${below.length} models: ${folderOption}`);
      await page.select('#folder', folder);
      await page.select('#status', 'failed');
      const address = new URL(page.url());
      assertEqual([address.searchParams.get('folder'), address.searchParams.get('status')], [folder, 'failed'], 'address');
      const failedBelow = below.filter((model) => infos.get(model.path).status === 'failed').map((model) => model.path);
      assertEqual((await shownTiles()).sort(), failedBelow.sort(), 'failed models of the folder');
      await page.reload();
      await page.waitForSelector('body[data-listed]', { timeout });
      assertEqual((await shownTiles()).sort(), failedBelow.sort(), 'the same models after a reload');
      assertEqual(await page.$eval('#status', (choice) => choice.value), 'failed', 'status choice after a reload');

      // Back from a model to the grid as it was left.
      await page.click(`${tileOf(failed.path)} a`);
      await settledView(page);
      await page.click('a.back');
      await page.waitForFunction(() => !document.getElementById('browse').hidden, { timeout });
      assertEqual(new URL(page.url()).search, address.search, 'address of the grid gone back to');

      for (const [sort, key] of [['size', (path) => listing.models.find((m) => m.path === path).size],
        ['triangles', (path) => (infos.get(path).status === 'failed' ? -1 : infos.get(path).triangles)]]) {
        await page.goto(new URL(`/?sort=${sort}`, base).href);
        await page.waitForSelector('body[data-listed]', { timeout });
        const values = (await shownTiles()).map(key);
        assertEqual(values, [...values].sort((a, b) => b - a), `models by ${sort}, largest first`);
      }
    });

    await check('a failed model says why in its tile, its view and its report, and offers only "Include lods"', async () => {
      await openGrid(page);
      const tile = `${tileOf(failed.path)} .reason`;
      await page.waitForFunction((selector) => document.querySelector(selector).textContent !== '', { timeout }, tile);
      assertEqual(await page.$eval(tile, (node) => node.textContent), failed.error, 'reason in the tile');
      await page.goto(pageOf(failed.path, false));
      const view = await settledView(page);
      assertEqual(view.state, 'failed', 'state of the view');
      assertEqual(view.message, failed.error, 'reason on the page');
      assert(view.report.includes(failed.error), `the report does not say why: ${JSON.stringify(view.report)}`);
      assertEqual(view.enabled, { 'wireframe': false, 'reset-view': false, 'lods': true }, 'controls offered');
      await page.screenshot({ path: screenshotAs('failed') });
    });

    await check('a model that is not there any more says so and offers no control', async () => {
      const deleted = 'models/deleted since the link was made.model';
      refusalsAskedFor.push(`/api/model?path=${encodeURIComponent(deleted).replaceAll('%2F', '/')}`);
      await page.goto(pageOf(deleted, false));
      const view = await settledView(page);
      assertEqual([view.state, view.badge], ['missing', 'missing'], 'state of the view and badge');
      assertEqual(view.enabled, { 'wireframe': false, 'reset-view': false, 'lods': false }, 'controls offered');
    });

    await check('a picked model is drawn, with its textures, and its objects listed in scene order', async () => {
      await openGrid(page);
      await page.click(`${tileOf(textured.path)} a`);
      const view = await drawnView(page);
      assertEqual(new URL(page.url()).searchParams.get('model'), textured.path, 'model named in the address');
      assertEqual(view.listed, textured.objects.map((object) => object.name), 'objects listed');
      assertEqual(view.objects, textured.objects.length, 'objects drawn');
      assertEqual(view.textured, textured.objects.filter((object) => object.texture).length, 'objects drawn with a texture');
      assertEqual(view.enabled, { 'wireframe': true, 'reset-view': true, 'lods': true }, 'controls offered');
      const share = await drawnShare(page);
      assert(share > 0.01, `only ${(share * 100).toFixed(2)}% of the canvas differs from the background`);
      await page.screenshot({ path: options.screenshot });
    });

    await check('each object can be hidden and shown again', async () => {
      await page.goto(pageOf(textured.path, false));
      await drawnView(page);
      const boxes = await page.$$('#object-list input[type=checkbox]');
      assertEqual(boxes.length, textured.objects.length, 'show/hide boxes');
      for (const box of boxes) {
        await box.click();
      }
      await nextFrames(page);
      const hidden = await drawnShare(page);
      assert(hidden === 0, `${(hidden * 100).toFixed(2)}% of the canvas is drawn with every object hidden`);
      await boxes[0].click();
      await nextFrames(page);
      assert(await drawnShare(page) > 0, 'the object shown again is not drawn');
    });

    await check('a texture name opens the texture as a picture, or says why it cannot', async () => {
      await page.goto(pageOf(textured.path, false));
      await drawnView(page);
      const texture = textured.objects.find((object) => object.texture).texture;
      const opened = async () => {
        await page.click('#object-list a.texture-link');
        await page.waitForFunction(() => document.getElementById('texture-dialog').dataset.state !== 'loading', { timeout });
        return page.$eval('#texture-dialog', (dialog) => ({
          open: dialog.open,
          state: dialog.dataset.state,
          title: dialog.querySelector('h2').textContent,
          width: dialog.querySelector('img').naturalWidth,
          message: dialog.querySelector('#texture-message').textContent,
        }));
      };
      const shown = await opened();
      assertEqual([shown.open, shown.state, shown.title], [true, 'shown', texture], 'the dialog');
      assert(shown.width > 0, 'the picture did not load');
      await page.screenshot({ path: screenshotAs('texture') });
      await page.keyboard.press('Escape');

      // The server answers as it does for a texture it cannot decode.
      const refuse = (request) => (request.url().includes('/api/texture')
        ? request.respond({ status: 415, body: '' }) : request.continue());
      refusalsAskedFor.push('/api/texture');
      await page.setRequestInterception(true);
      page.on('request', refuse);
      try {
        const refused = await opened();
        assertEqual(refused.state, 'failed', 'state of the dialog for an undecodable texture');
        assert(refused.message.includes('cannot be shown'), `the dialog says: ${refused.message}`);
      } finally {
        page.off('request', refuse);
        await page.setRequestInterception(false);
      }
    });

    const objectsWithoutLods = withLods.objects.length;
    await check('"Include lods" imports the model again, changes its objects and keeps the camera', async () => {
      await page.goto(pageOf(withLods.path, false));
      assertEqual((await drawnView(page)).objects, objectsWithoutLods, 'objects without lods');
      const framed = await drawnShare(page);
      const canvas = await (await page.$('#view')).boundingBox();
      await page.mouse.move(canvas.x + canvas.width / 2, canvas.y + canvas.height / 2);
      for (let i = 0; i < 8; i++) {
        await page.mouse.wheel({ deltaY: 400 });
      }
      await nextFrames(page);
      const zoomedOut = await drawnShare(page);
      assert(zoomedOut < framed / 4, `zooming out left ${zoomedOut} of ${framed} drawn`);
      await page.click('#lods');
      await page.waitForFunction(() => location.search.includes('lods=1'), { timeout });
      const view = await drawnView(page);
      const expected = (await infoOf(withLods.path, true)).objects.length;
      assert(expected !== objectsWithoutLods, `the server gives ${expected} objects either way`);
      assertEqual(view.objects, expected, 'objects with lods');
      const after = await drawnShare(page);
      assert(after < framed / 2, `the camera was placed again: ${after} of the canvas drawn, ${framed} when framed`);
    });

    await check('a reload opens the same model with the same lods answer', async () => {
      await page.goto(pageOf(withLods.path, true));
      const before = await drawnView(page);
      await page.reload();
      const after = await drawnView(page);
      assertEqual(after, before, 'view after the reload');
      assert(after.lods, 'Include lods is unmarked after the reload');
    });

    await check('back and forward walk through the views the user opened', async () => {
      await openGrid(page);
      await page.click(`${tileOf(withLods.path)} a`);
      await drawnView(page);
      await page.click('#lods');
      await page.waitForFunction(() => location.search.includes('lods=1'), { timeout });
      await drawnView(page);
      await page.goBack();
      const back = await drawnView(page);
      assertEqual([back.lods, back.objects], [false, objectsWithoutLods], 'one step back');
      await page.goBack();
      await page.waitForFunction(() => !document.getElementById('browse').hidden && document.getElementById('model').hidden, { timeout });
      await page.goForward();
      const forward = await drawnView(page);
      assertEqual([forward.lods, forward.objects], [false, objectsWithoutLods], 'forward again');
    });

    await check('the page raises no script error and loads nothing that is missing', async () => {
      assert(pageErrors.length === 0, `${pageErrors.length} errors, the first:\n${pageErrors.slice(0, 3).join('\n')}`);
    });
  } finally {
    await browser.close();
  }
  console.log(failures.length === 0 ? 'all checks passed' : `${failures.length} check(s) failed`);
  return failures.length === 0 ? 0 : 1;
}

main().then((status) => process.exit(status), (error) => {
  console.error(`browse_test: ${error.message}`);
  process.exit(2);
});
