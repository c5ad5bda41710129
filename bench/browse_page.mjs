// The browse page's own figures, in headless Chromium on the software renderer, each beside
// a floor measured in the same run (the machine may be shared, so only ratios compare):
//
// 1. First view of the 1,000,000-triangle model: from the navigation to /?model=PATH until
//    its pixels are on the canvas (the stage says "ready" right after the first render,
//    and a one-pixel read-back waits until that render has finished). Floor: in a blank
//    page of the same browser and origin, with three.js already loaded, the same
//    server's /api/model and /api/view answers fetched and the GLB parsed: what any page
//    must wait for before it can draw. Once with the model just changed (the server
//    imports it again), once with the import kept.
// 2. The grid of 1,000 models showing every picture, paged through one screen at a time
//    as soon as the screen's pictures are there, from a fresh cache (imports and
//    pictures made) and from a kept one. Floor: the listing, then each model's picture
//    (after its /api/model answer when its import is not kept) fetched from Node, by as
//    many clients as the server runs imports (fresh) or as Chromium opens connections to
//    one host (kept).
// 3. Frame times while scrolling through the whole grid once every picture is there
//    (p50/p95). Floor: the same scroll with the grid's tiles hidden.
// 4. The grid of 10,000 models, every import kept: the first screenful of pictures (floor:
//    the listing and those pictures from Node), frame times scrolling to the end (floor:
//    the grid hidden), and the page's DOM nodes and script heap at the top and the end.
//
//   cmake --build --preset default --target zenthor make_browse_trees
//   node bench/browse_page.mjs [--build build/default] [--runs 3] [--only view|grid|grid10k]
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, utimesSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { parseArgs } from 'node:util';
import puppeteer from 'puppeteer-core';

const { values: options } = parseArgs({
  options: {
    build: { type: 'string', default: 'build/default' },
    runs: { type: 'string', default: '3' },
    only: { type: 'string' },
    chromium: { type: 'string', default: '/usr/bin/chromium' },
  },
});
const runs = Number(options.runs);
const zenthor = join(options.build, 'bin/zenthor');
const largeModel = 'models/large.model';
const longWait = 600_000;  // ms; an import of the large model under load takes a while
const jobs = 2;  // imports the server runs at once (--jobs), which the grid asks for at a time
const browserConnections = 6;  // Chromium's connections to one host, the most pictures load at once
const scrollStep = 100;  // px per frame
const longScrollStep = 400;  // px per frame through the 10,000-model grid

// `zenthor browse` on `content` with its own cache folder, stopped with Ctrl-C.
async function startServer(content, cache) {
  const child = spawn(zenthor, ['browse', content, '--port', '0', '--cache-dir', cache, '--timeout', '600',
    '--jobs', String(jobs)],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve, reject) => {
    let out = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const found = out.match(/http:\/\/\S+/);
      if (found) {
        resolve(found[0]);
      }
    });
    child.on('exit', (code) => reject(new Error(`zenthor browse exited (${code}) before serving`)));
  });
  return {
    url,
    stop: () => new Promise((resolve) => {
      child.on('exit', resolve);
      child.kill('SIGINT');
    }),
  };
}

async function getOk(url) {
  const response = await fetch(url);
  if (!response.ok) {
    throw new Error(`${url}: ${response.status}`);
  }
  return response;
}

// A page in a context of its own, so that nothing the browser kept from an earlier
// measurement is reused.
async function freshPage(browser) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  page.on('pageerror', (error) => console.error(`page error: ${error.message}`));
  return { page, close: () => context.close() };
}

// Milliseconds from the navigation to the drawn view.
async function pageFirstView(browser, base) {
  const { page, close } = await freshPage(browser);
  try {
    await page.goto(new URL(`/?model=${largeModel}`, base).href);
    await page.waitForFunction(() => document.getElementById('stage').dataset.state !== 'loading',
      { timeout: longWait });
    return await page.evaluate(() => {
      if (document.getElementById('stage').dataset.state !== 'ready') {
        throw new Error(document.querySelector('#stage-message .text').textContent);
      }
      const gl = document.getElementById('view').getContext('webgl2');  // the page's own context
      gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
      return performance.now();
    });
  } finally {
    await close();
  }
}

// Milliseconds for the answers the view needs, fetched and parsed by a page that has
// nothing else to do.
async function floorFirstView(browser, base) {
  const { page, close } = await freshPage(browser);
  try {
    const blank = new URL('/bench-floor', base).href;
    const serveBlank = (request) => request.url() === blank
      ? request.respond({ contentType: 'text/html', body: '<!doctype html><script type="importmap">' +
          '{"imports":{"three":"/vendor/three/build/three.module.js","three/addons/":"/vendor/three/examples/jsm/"}}</script>' })
      : request.continue();
    await page.setRequestInterception(true);
    page.on('request', serveBlank);
    await page.goto(blank);
    page.off('request', serveBlank);
    await page.setRequestInterception(false);
    return await page.evaluate(async (path) => {
      const { GLTFLoader } = await import('three/addons/loaders/GLTFLoader.js');
      const start = performance.now();
      const info = await (await fetch(`/api/model?path=${encodeURIComponent(path)}&lods=0`)).json();
      const glb = await (await fetch(info.view)).arrayBuffer();
      await new GLTFLoader().parseAsync(glb, '');
      return performance.now() - start;
    }, largeModel);
  } finally {
    await close();
  }
}

// Milliseconds from the navigation until the pictures of `screens` screens of the grid
// have shown (all of it when not given), paging down one screen as soon as every picture
// on the screen is there; with the paths the first screen showed.
async function pageGridPictures(page, base, screens = Infinity) {
  await page.goto(base);
  await page.waitForSelector('body[data-listed]', { timeout: longWait });
  return page.evaluate(async (limit, screens) => {
    const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
    const grid = document.getElementById('grid');
    const shown = (tile) => {
      const img = tile.querySelector('img');
      return img.src !== '' && img.complete && img.naturalWidth > 0;
    };
    const onScreen = () => [...grid.children].filter((tile) => {
      const box = tile.getBoundingClientRect();
      return box.bottom > 0 && box.top < innerHeight;
    });
    let firstScreen = null;
    for (let screen = 0; screen < screens; ++screen) {
      await frame();
      await frame();  // the grid has laid out the screen
      while (onScreen().some((tile) => !shown(tile))) {
        if (performance.now() > limit) {
          throw new Error(`${onScreen().filter((tile) => !shown(tile)).length} pictures still missing`);
        }
        await frame();
      }
      firstScreen ??= onScreen().map((tile) => tile.dataset.param);
      const before = scrollY;
      scrollBy(0, innerHeight);
      if (scrollY === before) {
        break;
      }
    }
    return { ms: performance.now(), firstScreen };
  }, longWait, screens);
}

// Milliseconds for the listing and what the grid needs of each model named (all when not
// given), from `clients` clients at once: the picture of a kept import, or else the
// model's answer and then its picture.
async function floorGridPictures(base, clients, params = null) {
  const start = performance.now();
  const { models } = await (await getOk(new URL('/api/models', base))).json();
  const wanted = params ? models.filter((model) => params.includes(model.pathParam)) : models;
  let next = 0;
  const client = async () => {
    while (next < wanted.length) {
      const model = wanted[next++];
      const thumbnail = model.kept?.thumbnail ??
        (await (await getOk(new URL(`/api/model?path=${model.pathParam}&lods=0`, base))).json()).thumbnail;
      await (await getOk(new URL(thumbnail, base))).arrayBuffer();
    }
  };
  await Promise.all(Array.from({ length: clients }, client));
  return performance.now() - start;
}

// The page's DOM nodes and script heap once garbage is collected, as Chromium counts them.
async function pageWeight(page) {
  const session = await page.createCDPSession();
  await session.send('HeapProfiler.collectGarbage');
  await session.detach();
  const { Nodes, JSHeapUsedSize } = await page.metrics();
  return { nodes: Nodes, heapMiB: JSHeapUsedSize / (1024 * 1024) };
}

// The times between frames while the page scrolls by `step` pixels a frame from top to
// bottom.
function scrollFrames(page, step) {
  return page.evaluate(async (step) => {
    const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
    scrollTo(0, 0);
    await frame();
    await frame();
    const times = [];
    let last = await frame();
    for (;;) {
      const before = scrollY;
      scrollBy(0, step);
      if (scrollY === before) {
        return times;
      }
      const now = await frame();
      times.push(now - last);
      last = now;
    }
  }, step);
}

function quantile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

const results = new Map();  // figure → [per run]
function record(figure, value) {
  results.set(figure, [...(results.get(figure) ?? []), value]);
}

// A figure of the page, its floor, and their ratio.
function recordAgainstFloor(figure, page, floor) {
  record(`${figure}: page`, page);
  record(`${figure}: floor`, floor);
  record(`${figure}: ratio`, page / floor);
}

function spread(values, unit) {
  const digits = unit === '×' ? 2 : 0;
  const show = (value) => value.toFixed(digits);
  return `${show(quantile(values, 0.5))}${unit} (${show(Math.min(...values))}–${show(Math.max(...values))})`;
}

function report() {
  console.log(`\nmedian (min–max) over ${runs} runs; the ratios are taken run by run`);
  for (const [figure, values] of results) {
    const unit = figure.includes('ratio') ? '×' : figure.includes('(') || figure.includes('nodes') ? '' : ' ms';
    console.log(`  ${figure.padEnd(58)} ${spread(values, unit)}`);
  }
}

async function benchFirstView(browser, trees) {
  const content = join(trees, 'large/content');
  const server = await startServer(content, join(trees, 'large-cache'));
  const touch = () => utimesSync(join(content, largeModel), new Date(), new Date());
  try {
    for (let run = 1; run <= runs; ++run) {
      touch();
      const floorImport = await floorFirstView(browser, server.url);
      touch();
      const pageImport = await pageFirstView(browser, server.url);
      const floorKept = await floorFirstView(browser, server.url);
      const pageKept = await pageFirstView(browser, server.url);
      console.log(`run ${run}: first view ${pageImport.toFixed(0)} ms (floor ${floorImport.toFixed(0)}), ` +
        `import kept ${pageKept.toFixed(0)} ms (floor ${floorKept.toFixed(0)})`);
      recordAgainstFloor('first view, model just changed', pageImport, floorImport);
      recordAgainstFloor('first view, import kept', pageKept, floorKept);
    }
  } finally {
    await server.stop();
  }
}

async function benchGrid(browser, trees) {
  const content = join(trees, 'grid/content');
  for (let run = 1; run <= runs; ++run) {
    // Each side starts from an empty cache of its own.
    let server = await startServer(content, join(trees, `grid-cache-floor-${run}`));
    let floorCold;
    let floorWarm;
    try {
      floorCold = await floorGridPictures(server.url, jobs);
      floorWarm = await floorGridPictures(server.url, browserConnections);
    } finally {
      await server.stop();
    }
    server = await startServer(content, join(trees, `grid-cache-page-${run}`));
    try {
      const cold = await freshPage(browser);
      const pageCold = (await pageGridPictures(cold.page, server.url)).ms;
      await cold.close();
      const warm = await freshPage(browser);
      const pageWarm = (await pageGridPictures(warm.page, server.url)).ms;
      const frames = await scrollFrames(warm.page, scrollStep);
      await warm.page.$eval('#grid', (grid) => { grid.style.visibility = 'hidden'; });
      const floorFrames = await scrollFrames(warm.page, scrollStep);
      await warm.close();
      const [p50, p95, floor50, floor95] = [quantile(frames, 0.5), quantile(frames, 0.95),
        quantile(floorFrames, 0.5), quantile(floorFrames, 0.95)];
      console.log(`run ${run}: grid pictures ${pageCold.toFixed(0)} ms (floor ${floorCold.toFixed(0)}), ` +
        `kept ${pageWarm.toFixed(0)} ms (floor ${floorWarm.toFixed(0)}); scroll frames p50 ${p50.toFixed(1)} ` +
        `p95 ${p95.toFixed(1)} ms over ${frames.length} frames (floor p50 ${floor50.toFixed(1)} p95 ${floor95.toFixed(1)})`);
      recordAgainstFloor('grid pictures, fresh cache', pageCold, floorCold);
      recordAgainstFloor('grid pictures, kept', pageWarm, floorWarm);
      recordAgainstFloor('scroll frame p50', p50, floor50);
      recordAgainstFloor('scroll frame p95', p95, floor95);
    } finally {
      await server.stop();
    }
  }
}

// The 10,000-model grid with every import kept: the first screenful of pictures against
// the listing and those pictures fetched from Node; then frame times scrolling to the end
// against the same scroll with the grid hidden, and the page's weight at both ends.
async function benchLargeGrid(browser, trees) {
  const content = join(trees, 'grid10k/content');
  const server = await startServer(content, join(trees, 'grid10k-cache'));
  try {
    const warming = await floorGridPictures(server.url, jobs);
    console.log(`10,000 models imported in ${(warming / 1000).toFixed(0)} s`);
    for (let run = 1; run <= runs; ++run) {
      const { page, close } = await freshPage(browser);
      const { ms: pageFirst, firstScreen } = await pageGridPictures(page, server.url, 1);
      const floorFirst = await floorGridPictures(server.url, browserConnections, firstScreen);
      await page.evaluate(() => scrollTo(0, 0));
      const top = await pageWeight(page);
      const frames = await scrollFrames(page, longScrollStep);
      const end = await pageWeight(page);
      await page.$eval('#grid', (grid) => { grid.style.visibility = 'hidden'; });
      const floorFrames = await scrollFrames(page, longScrollStep);
      await close();
      const [p95, floor95] = [quantile(frames, 0.95), quantile(floorFrames, 0.95)];
      console.log(`run ${run}: 10,000 models: first screen (${firstScreen.length} pictures) ${pageFirst.toFixed(0)} ms ` +
        `(floor ${floorFirst.toFixed(0)}); scroll frames p95 ${p95.toFixed(1)} ms over ${frames.length} frames ` +
        `(floor ${floor95.toFixed(1)}); DOM nodes ${top.nodes} at the top, ${end.nodes} at the end; ` +
        `script heap ${top.heapMiB.toFixed(1)} MiB, then ${end.heapMiB.toFixed(1)} MiB`);
      recordAgainstFloor('10,000 models, first screen, kept', pageFirst, floorFirst);
      recordAgainstFloor('10,000 models, scroll frame p95', p95, floor95);
      record('10,000 models, DOM nodes at the top', top.nodes);
      record('10,000 models, DOM nodes at the end', end.nodes);
      record('10,000 models, script heap at the top (MiB)', top.heapMiB);
      record('10,000 models, script heap at the end (MiB)', end.heapMiB);
    }
  } finally {
    await server.stop();
  }
}

async function main() {
  const trees = mkdtempSync(join(tmpdir(), 'zenthor-browse-page-'));
  const browser = await puppeteer.launch({
    executablePath: options.chromium,
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--no-first-run'],
  });
  try {
    execFileSync(join(options.build, 'bench/make_browse_trees'), [trees], { stdio: 'inherit' });
    if (!options.only || options.only === 'view') {
      await benchFirstView(browser, trees);
    }
    if (options.only !== 'view' && options.only !== 'grid10k') {
      await benchGrid(browser, trees);
    }
    if (options.only !== 'view' && options.only !== 'grid') {
      await benchLargeGrid(browser, trees);
    }
    report();
  } finally {
    await browser.close();
    rmSync(trees, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(`browse_page: ${error.stack}`);
  process.exit(1);
});
