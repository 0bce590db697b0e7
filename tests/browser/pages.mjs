// Pages of the modern style in real Chromium, driven through the DevTools
// protocol: one table of (page, viewport, what must hold).
//
//   node pages.mjs check  MODULES FOLDER   runs the table; exit 1 on any failure
//   node pages.mjs report MODULES FOLDER   prints the page weight and paint figures
//
// MODULES holds node_modules with playwright-core and axe-core; FOLDER an
// album made with the modern style: index.html (24 photos, a back link,
// 背景色なし) and split.html cut into split1.html and split2.html.
import { createRequire } from 'node:module';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const [mode, modules, folder] = process.argv.slice(2);
const require = createRequire(path.join(path.resolve(modules), 'node_modules', 'x.js'));
const { chromium } = require('playwright-core');
const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

const viewports = {
  phone: { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  narrow: { viewport: { width: 320, height: 640 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
  desktop: { viewport: { width: 1440, height: 900 }, deviceScaleFactor: 1, isMobile: false, hasTouch: false },
};
// A slow 4G link and a phone's processor, applied in the browser itself.
const slow4g = { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 750e3 / 8 };
const slowCpu = 4;
const kB = 1000;

// page: an album page, or [album page, n] for the page of its n-th photo.
const table = [
  { page: 'index.html', on: 'phone', slow: true, must: ['firstScreen', 'paint'] },
  { page: 'index.html', on: 'desktop', slow: true, must: ['firstScreenDesktop'] },
  { page: 'index.html', on: 'phone', must: ['small', 'fits', 'captions', 'steady', 'accessible', 'keyboard'] },
  { page: 'index.html', on: 'narrow', must: ['fits', 'captions'] },
  { page: 'index.html', on: 'desktop', must: ['steady', 'accessible'] },
  { page: 'index.html', on: 'phone', dark: true, must: ['dark', 'accessible'] },
  { page: 'index.html', on: 'phone', file: true, noScript: true, must: ['withoutScript'] },
  { page: 'split1.html', on: 'phone', must: ['pageLinks', 'fits', 'steady', 'accessible', 'keyboard'] },
  { page: 'split2.html', on: 'narrow', must: ['pageLinks', 'fits', 'accessible'] },
  { page: 'split2.html', on: 'desktop', file: true, noScript: true, must: ['withoutScript'] },
  { page: ['index.html', 1], on: 'phone', must: ['small', 'fitsScreen', 'fits', 'accessible'] },
  { page: ['index.html', 3], on: 'narrow', must: ['fitsScreen', 'fits', 'accessible'] },
  { page: ['split2.html', 22], on: 'desktop', must: ['fitsScreen', 'accessible'] },
  { page: ['index.html', 24], on: 'phone', dark: true, must: ['dark', 'accessible'] },
];

// A plain file server on 127.0.0.1 for the album's folder.
function serve(root) {
  const types = { '.html': 'text/html; charset=utf-8', '.jpg': 'image/jpeg', '.png': 'image/png', '.webp': 'image/webp' };
  const server = http.createServer((req, res) => {
    const bytes = Buffer.from(unescape(req.url.split(/[?#]/)[0]), 'latin1');
    const file = Buffer.concat([Buffer.from(root), bytes]);
    fs.readFile(file, (err, data) => {
      if (err || bytes.includes('..')) {
        res.writeHead(404).end();
        return;
      }
      res.writeHead(200, { 'Content-Type': types[path.extname(bytes.toString('latin1')).toLowerCase()] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Watching from the page's very start: layout shifts and the largest paint.
const watcher = () => {
  window.__shift = 0;
  new PerformanceObserver((list) => {
    for (const e of list.getEntries()) if (!e.hadRecentInput) window.__shift += e.value;
  }).observe({ type: 'layout-shift', buffered: true });
  new PerformanceObserver((list) => {
    const e = list.getEntries().at(-1);
    window.__lcp = { time: e.startTime, tag: e.element ? e.element.tagName : '',
                     width: e.element ? e.element.getBoundingClientRect().width : 0 };
  }).observe({ type: 'largest-contentful-paint', buffered: true });
};

async function open(browser, base, row) {
  const context = await browser.newContext({ ...viewports[row.on], javaScriptEnabled: !row.noScript,
                                             colorScheme: row.dark ? 'dark' : 'light' });
  const page = await context.newPage();
  await page.addInitScript(watcher);
  const cdp = await context.newCDPSession(page);
  const requests = new Map();
  let loadedAt = Infinity;
  await cdp.send('Network.enable');
  await cdp.send('Page.enable');
  cdp.on('Network.requestWillBeSent', (e) => requests.set(e.requestId, { url: e.request.url, bytes: 0, end: Infinity }));
  cdp.on('Network.loadingFinished', (e) => {
    const r = requests.get(e.requestId);
    if (r) Object.assign(r, { bytes: e.encodedDataLength, end: e.timestamp });
  });
  cdp.on('Page.loadEventFired', (e) => { loadedAt = e.timestamp; });
  if (row.slow) {
    await cdp.send('Network.emulateNetworkConditions', slow4g);
    await cdp.send('Emulation.setCPUThrottlingRate', { rate: slowCpu });
  }
  let address = row.page;
  if (Array.isArray(row.page)) {
    const album = await context.newPage();
    await album.goto(new URL(row.page[0], base).href);
    address = await album.evaluate((n) => document.getElementById('p' + n).href, row.page[1]);
    await album.close();
  } else {
    address = new URL(row.page, base).href;
  }
  await page.goto(address, { waitUntil: 'load' });
  await page.waitForTimeout(300);
  const byLoad = [...requests.values()].filter((r) => r.end <= loadedAt);
  return { context, page, requests, byLoad };
}

const sum = (list) => list.reduce((n, r) => n + r.bytes, 0);

// What the first screen shows: the page and every picture that reaches into it.
async function firstScreen(page, requests) {
  await page.waitForLoadState('networkidle');
  const shown = await page.evaluate(() => [...document.images]
    .filter((i) => { const r = i.getBoundingClientRect(); return r.bottom > 0 && r.top < innerHeight && r.width > 0; })
    .map((i) => i.currentSrc));
  const wanted = new Set([page.url(), ...shown]);
  const list = [...requests.values()].filter((r) => wanted.has(r.url));
  return { bytes: sum(list), count: list.length, pictures: shown.length };
}

async function scrollToEnd(page) {
  await page.evaluate(async () => {
    for (let y = 0; y < document.documentElement.scrollHeight; y += innerHeight / 2) {
      scrollTo(0, y);
      await new Promise((r) => setTimeout(r, 40));
    }
    scrollTo(0, document.documentElement.scrollHeight);
  });
  await page.waitForLoadState('networkidle');
  await page.waitForTimeout(200);
}

const checks = {
  async firstScreen({ page, requests, byLoad }, say) {
    const first = await firstScreen(page, requests);
    say(first.bytes <= 250 * kB, `first screen ${first.bytes} bytes`);
    say(first.count <= 8, `first screen ${first.count} requests`);
    say(sum(byLoad) <= 400 * kB, `${sum(byLoad)} bytes by the load event`);
    return { firstScreenBytes: first.bytes, firstScreenRequests: first.count, loadBytes: sum(byLoad), loadRequests: byLoad.length };
  },
  async firstScreenDesktop({ page, requests, byLoad }, say) {
    const first = await firstScreen(page, requests);
    say(first.bytes <= 600 * kB, `first screen ${first.bytes} bytes`);
    return { firstScreenBytes: first.bytes, firstScreenRequests: first.count, loadBytes: sum(byLoad) };
  },
  async paint({ page }, say) {
    const lcp = await page.evaluate(() => window.__lcp);
    say(lcp && lcp.time <= 2000, `largest paint at ${lcp && Math.round(lcp.time)} ms`);
    say(lcp && lcp.tag === 'IMG' && lcp.width >= 300, `largest element ${lcp && lcp.tag} ${lcp && lcp.width} px wide`);
    return { lcpMs: lcp && Math.round(lcp.time), lcpWidth: lcp && lcp.width };
  },
  async fits({ page }, say) {
    const f = await page.evaluate(() => ({ wide: document.documentElement.scrollWidth, view: innerWidth,
                                            scale: visualViewport.scale }));
    say(f.wide <= f.view, `${f.wide} px wide in a ${f.view} px screen`);
    say(f.scale === 1, `zoomed to ${f.scale}`);
  },
  async captions({ page }, say) {
    await scrollToEnd(page);
    const c = await page.evaluate(() => [...document.querySelectorAll('.g li')].map((li) => {
      const p = li.querySelector('p');
      const img = li.querySelector('img');
      return { size: parseFloat(getComputedStyle(p).fontSize), text: p.innerText.trim(), visible: p.offsetHeight > 0,
               loaded: img.complete && img.naturalWidth > 0 };
    }));
    say(c.length > 0, 'no photos');
    for (const [i, cell] of c.entries()) {
      say(cell.size >= 16 && cell.visible && cell.text !== '', `caption ${i + 1}: ${cell.size} px "${cell.text}"`);
      say(cell.loaded, `photo ${i + 1} not shown`);
    }
  },
  async steady({ page }, say) {
    const before = await page.evaluate(() => window.__shift);
    await scrollToEnd(page);
    const after = await page.evaluate(() => window.__shift);
    say(before === 0, `layout shift ${before} on load`);
    say(after === 0, `layout shift ${after} after scrolling to the end`);
    return { cls: after };
  },
  async accessible({ page }, say) {
    await page.addScriptTag({ content: axeSource });
    const found = await page.evaluate(() => axe.run(document, { runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa'] } })
      .then((r) => r.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`)));
    for (const v of found) say(false, v);
  },
  async keyboard({ page }, say) {
    const album = page.url();
    let first = false;
    for (let i = 0; i < 2 && !first; ++i) {
      await page.keyboard.press('Tab');
      first = await page.evaluate(() => document.activeElement && document.activeElement.id === 'p1');
    }
    say(first, 'the first photo is not reached within two Tab presses');
    if (!first) return;
    const photo = (n) => page.evaluate(() => document.querySelector('nav span').textContent.split(' / ')[0]).then(Number)
      .then((at) => say(at === n, `on photo ${at} instead of ${n}`));
    await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
    await photo(1);
    await Promise.all([page.waitForNavigation(), page.keyboard.press('ArrowRight')]);
    await photo(2);
    await Promise.all([page.waitForNavigation(), page.keyboard.press('ArrowLeft')]);
    await photo(1);
    await Promise.all([page.waitForNavigation(), page.keyboard.press('Escape')]);
    say(page.url().split('#')[0] === album, `Escape went to ${page.url()}`);
    say(await page.evaluate(() => document.activeElement && document.activeElement.id) === 'p1', 'focus not on the photo');
  },
  async small({ page }, say) {
    const bytes = await page.evaluate(() => [...document.querySelectorAll('style,script')]
      .reduce((n, e) => n + new Blob([e.textContent]).size, 0));
    say(bytes <= 10 * 1024, `${bytes} bytes of script and style`);
  },
  async dark({ page }, say) {
    const bg = await page.evaluate(() => getComputedStyle(document.body).backgroundColor);
    const [r, g, b] = bg.match(/\d+/g).map(Number);
    say(r + g + b < 3 * 64, `background ${bg} in dark mode`);
  },
  async pageLinks({ page }, say) {
    const l = await page.evaluate(() => ({
      prev: document.querySelector('link[rel=prev]')?.getAttribute('href'),
      next: document.querySelector('link[rel=next]')?.getAttribute('href'),
      numbers: [...document.querySelectorAll('nav a')].filter((a) => /^\d+$/.test(a.textContent))
        .map((a) => a.getAttribute('href') + (a.getAttribute('aria-current') ? '*' : '')),
    }));
    const self = path.basename(new URL(page.url()).pathname);
    const expect = { 'split1.html': [undefined, 'split2.html'], 'split2.html': ['split1.html', undefined] }[self];
    say(l.prev === expect[0] && l.next === expect[1], `prev ${l.prev}, next ${l.next}`);
    const numbers = ['split1.html', 'split2.html'].map((n) => n + (n === self ? '*' : ''));
    say(JSON.stringify(l.numbers) === JSON.stringify(numbers), `page numbers ${l.numbers}`);
  },
  async fitsScreen({ page }, say) {
    const r = await page.evaluate(() => {
      const b = document.querySelector('main img').getBoundingClientRect();
      return { right: b.right, bottom: b.bottom, width: b.width, w: innerWidth, h: innerHeight,
               loaded: document.querySelector('main img').naturalWidth > 0 };
    });
    say(r.loaded && r.width > 0 && r.right <= r.w && r.bottom <= r.h, `photo ${JSON.stringify(r)}`);
  },
  // From a folder, without script: every photo, caption and photo page, with
  // its previous, next, up and original.
  async withoutScript({ page }, say) {
    const cells = await page.evaluate(() => [...document.querySelectorAll('.g li')].map((li) => ({
      href: li.querySelector('a').href, caption: li.querySelector('p').textContent.trim(),
      loaded: li.querySelector('img').complete && li.querySelector('img').naturalWidth > 0 })));
    say(cells.length > 0, 'no photos');
    const album = page.url();
    for (const [i, cell] of cells.entries()) {
      say(cell.loaded && cell.caption !== '', `photo ${i + 1} or its caption missing`);
      await page.goto(cell.href);
      const p = await page.evaluate(() => ({
        loaded: document.querySelector('main img').complete && document.querySelector('main img').naturalWidth > 0,
        links: Object.fromEntries([...document.querySelectorAll('a')].map((a) => [a.rel || a.textContent, a.href])),
        at: document.querySelector('nav span').textContent }));
      say(p.loaded, `photo page ${i + 1} shows no photo`);
      const total = Number(p.at.split(' / ')[1]);
      const n = Number(p.at.split(' / ')[0]);
      for (const [rel, needed] of [['prev', n > 1], ['next', n < total], ['up', true], ['元の写真', true]]) {
        const href = p.links[rel];
        say(!needed || (href && fs.existsSync(fileURLToPath(href.split('#')[0]))), `photo page ${n}: ${rel} ${href}`);
      }
      say(p.links.up && p.links.up.split('#')[0] === album.split('#')[0], `photo page ${n} goes up to ${p.links.up}`);
    }
  },
};

const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                                        args: ['--no-sandbox', '--disable-gpu'] });
const server = await serve(path.resolve(folder) + '/');
const base = `http://127.0.0.1:${server.address().port}/`;
const fileBase = pathToFileURL(path.resolve(folder) + '/').href;
let failures = 0;
const figures = [];
const rows = mode === 'report' ? table.filter((r) => r.slow) : table;
// A timed row on a busy machine gets a second try; its figures are those of the last.
for (const row of rows) {
  const name = `${JSON.stringify(row.page)} on ${row.on}${row.dark ? ' (dark)' : ''}${row.file ? ' from file://' : ''}${row.noScript ? ' without script' : ''}`;
  let said = [];
  let figure;
  for (let attempt = 0; attempt < (row.slow ? 2 : 1) && (attempt === 0 || said.length > 0); ++attempt) {
    said = [];
    const opened = await open(browser, row.file ? fileBase : base, row);
    figure = { page: name };
    for (const must of row.must) {
      const say = (ok, why) => { if (!ok) said.push(`FAIL ${name}: ${must}: ${why}`); };
      Object.assign(figure, await checks[must](opened, say));
    }
    await opened.context.close();
  }
  for (const line of said) console.log(line);
  failures += said.length;
  figures.push(figure);
}
await browser.close();
server.close();
for (const f of figures) if (Object.keys(f).length > 1) console.log(JSON.stringify(f));
console.log(failures === 0 ? `all ${rows.length} rows hold` : `${failures} failures`);
process.exit(mode === 'check' && failures > 0 ? 1 : 0);
