// The web page in Chromium, Firefox and WebKit (tests/harness/browser.mjs) from a plain web
// server: its elements and axe-core's findings; the screen-reader lesson by mouse, finger, keys
// and a screen reader's click, heard in the live region in order and read aloud; each cell of a
// carry red for 0.4 s; the page without its server; a new build taken at the second load, whole.
// In Chromium also tablets and phones with their touch screens.   node in_browser.mjs PAGE [SHOTS]
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, appendFileSync, utimesSync, readdirSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { Page, Server, sleep, watch } from '../harness/browser.mjs';

const [folder, shots] = process.argv.slice(2);
const here = new URL('.', import.meta.url).pathname;
const heard = readFileSync(join(here, 'lesson.txt'), 'utf8').trim().split('\n');
const failures = [];
let engine;
const expect = (what, seen, wanted = true) => {
  if (JSON.stringify(seen) !== JSON.stringify(wanted))
    failures.push(`${engine}: ${what}: ${JSON.stringify(seen)}`);
};
const CELLS = ['', '_add'].flatMap((row) =>
  ['Tausender', 'Hunderter', 'Zehner', 'Einer'].map((place) => `lbl_${place}${row}`));

const axe = readFileSync(join(here, '../harness/node_modules/axe-core/axe.min.js'), 'utf8');
async function accessible(page) {
  const controls = await page.js(() => described());
  const count = (kind) => controls.filter((line) => line.split('|')[1] === kind).length;
  expect('kinds', ['button', 'div', 'input'].map(count), [20, 12, 2]);
  for (const line of ['lbl_Tausender_Text|div|Tausender|Überschrift der Spalte Tausender',
    'lbl_Einer_add|div|Einer 0|',
    'txt_Eingabe|input|Eingabe für den Zähler|Eine Zahl mit bis zu vier Zeichen. OK setzt den Zähler auf diese Zahl.',
    'cmd_Einer_add_minus|button|Eine Einheit Einer vom Zähler in die Hilfszahl|Roter Pfeil nach unten: nimmt dem Zähler einen Einer weg und zählt ihn zur Hilfszahl dazu.'])
    expect(`not in the page: ${line}`, controls.includes(line));
  // Each row by its name, then its places in order, on one line.
  const read = await page.js(() => window.read());
  expect('read', read.map(([text]) => text).join(' '), 'Zähler Tausender 0 Hunderter 0 Zehner 0 ' +
    'Einer 0 Hilfszahl Tausender 0 Hunderter 0 Zehner 0 Einer 0');
  expect('lines', new Set(read.map(([, top]) => top)).size, 2);
  await page.js(axe);
  const found = await page.js(() => axe.run(document).then((r) => r.violations
    .filter((v) => ['serious', 'critical'].includes(v.impact) || v.id === 'meta-viewport')
    .map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)));
  expect('axe-core', found, []);
}

async function lesson(page) {
  const twice = async (id, by) => { await page.click(id, by); await sleep(60); await page.click(id, by); };
  await page.type('999');
  await page.js(() => window.nurvelo('cmd_ok').click());
  await twice('cmd_Einer_plus');
  await sleep(2500);
  const lit = await page.js(() => window.lit.splice(0));
  expect('lit', lit.map(([id, ms]) => (ms >= 400 ? id : `${id} ${ms} ms`)),
    ['lbl_Einer', 'lbl_Zehner', 'lbl_Hunderter', 'lbl_Tausender']);
  await twice('cmd_Zehner_plus', 'finger');
  await sleep(1500);
  await page.js(() => ['cmd_Einer_add_plus', 'cmd_Einer_add_minus'].forEach((id) => window.nurvelo(id).click()));
  await sleep(1500);
  await page.key('F2');
  // Read aloud from here on, then not any more.
  await page.key('F4');
  await page.click('cmd_Zehner_plus');
  await sleep(2500);
  await page.key('F4');
  await page.click('cmd_Zehner_minus');
  await sleep(600);
  expect('spoken', await page.js(() => window.spoken),
    ['Vorlesen an', 'Zehner 3', 'Zähler 1030', 'Vorlesen aus']);
  // Keys move the focus along with the window's and click once.
  const focus = () => page.js(() => qt.activeElement?.id);
  const focused = [await focus()];
  await page.key('SPACE');
  await sleep(600);
  await page.key('SHIFT+TAB');
  focused.push(await focus());
  // Firefox's driver types an Enter that activates no button, on any page.
  await page.key(engine === 'firefox' ? 'SPACE' : 'ENTER');
  await sleep(1000);
  expect('focus', focused, ['cmd_Zehner_minus', 'cmd_Hunderter_minus']);
  await page.js(() => [0, 1].forEach(() => window.nurvelo('cmd_Einer_plus').click()));
  await sleep(1000);
  expect('said', await page.js(() => window.said()), [...heard, 'Vorlesen an', 'Zehner 3',
    'Zähler 1030', 'Vorlesen aus', 'Zehner 2', 'Zähler 1020', 'Zehner 1', 'Zähler 1010',
    'Hunderter 9', 'Tausender 0', 'Zähler 910', 'Einer 1', 'Einer 2', 'Zähler 912']);
}

// Every control in sight, none over another, each button large enough for a finger, the places
// in their order from the left, each counter cell above its Hilfszahl cell; the window's own
// arrangement kept where it does all that.
async function arranged(page, { width, height, scale, touch }, finger, own) {
  await page.resize({ width, height, scale, touch });
  await sleep(500);
  if (shots) await page.shot(join(shots, `${engine}-${width}x${height}.png`));
  const boxes = await page.js(() => Object.fromEntries(controls()
    .map((e) => [e.id, e.getBoundingClientRect().toJSON()])));
  const size = `${width}x${height}`, names = Object.keys(boxes);
  expect(`${size}: outside`, names.filter((id) => boxes[id].left < 0 || boxes[id].top < 0 ||
    boxes[id].right > width || boxes[id].bottom > height), []);
  expect(`${size}: overlapping`, names.flatMap((a) => names.filter((b) => a < b &&
    boxes[a].left < boxes[b].right && boxes[b].left < boxes[a].right &&
    boxes[a].top < boxes[b].bottom && boxes[b].top < boxes[a].bottom).map((b) => `${a} ${b}`)), []);
  const smallest = Math.min(...names.filter((id) => id.startsWith('cmd_'))
    .map((id) => Math.min(boxes[id].width, boxes[id].height)));
  console.log(`${engine} ${size}: smallest button ${smallest.toFixed(1)} px`);
  expect(`${size}: smallest button ${smallest}`, smallest >= finger);
  const columns = CELLS.slice(0, 4).map((id) => boxes[id]);
  expect(`${size}: places out of order`, columns.every((c, i) => !i || columns[i - 1].right < c.left));
  expect(`${size}: rows`, CELLS.slice(0, 4).every((id) => boxes[id].bottom < boxes[`${id}_add`].top &&
    Math.abs(boxes[id].left - boxes[`${id}_add`].left) < 1));
  // The window's own arrangement: the entry box for the counter as far right of the thousands
  // as 6360 of the layout's twips against the 4320 from the thousands to the units.
  const right = (boxes.txt_Eingabe.left - columns[0].left) / (columns[3].left - columns[0].left);
  expect(`${size}: own arrangement ${right.toFixed(3)}`, Math.abs(right - 6360 / 4320) < 0.01, own);
}

// A tablet's and a phone's touch screen, as Chromium makes one: cancelled touches, a second
// finger, a long press and a finger sliding off a button leave every later tap taken, and click
// nothing themselves; a tap on an entry box gives it the keyboard there and then.
async function touched(page) {
  await page.resize({ width: 768, height: 1024, scale: 2, touch: true });
  const touch = async (type, ...points) => page.cdp('Input.dispatchTouchEvent', {
    type, touchPoints: await Promise.all(points.map(async ([id, dx = 0], n) =>
      ({ ...(await page.middle(id)), id: n, x: (await page.middle(id)).x + dx }))),
  });
  const [E, H, Z] = [['cmd_Einer_plus'], ['cmd_Hunderter_plus'], ['cmd_Zehner_plus']];
  // Each followed by two taps on Zehner "+"; the two fingers and the long press click Einer "+".
  for (const gesture of [[['touchStart', E], ['touchCancel']],
    [['touchStart', E], ['touchStart', E, H], ['touchEnd', E], ['touchEnd']],
    [['touchStart', E], ['touchMove', [E[0], 200]], ['touchEnd']],
    [['touchStart', E], [1000], ['touchEnd']]]) {
    for (const [type, ...points] of gesture)
      await (typeof type === 'number' ? sleep(type) : touch(type, ...points));
    for (const type of ['touchStart', 'touchEnd', 'touchStart', 'touchEnd'])
      await touch(type, ...(type === 'touchStart' ? [Z] : []));
    await sleep(1200);
  }
  expect('touched', await page.js(() => window.rows().split(' ').slice(0, 4).join('')), '0082');
  // A tap on an entry box gives its element the focus while the tap is being handled, where
  // a tablet opens its keyboard for it; the keyboard, which makes the page smaller, leaves the
  // box in sight.
  await page.js(() => {
    addEventListener('pointerdown', () => {
      window.inTap = true;
      setTimeout(() => (window.inTap = false));
    }, { capture: true });
    qt.addEventListener('focusin',
      (event) => (window.focusedInTap = window.inTap ? event.target.id : 'later'));
  });
  await touch('touchStart', ['txt_Eingabe_add']);
  await touch('touchEnd');
  await page.resize({ width: 768, height: 600, scale: 2, touch: true });
  await sleep(500);
  expect('keyboard', await page.js(() => {
    const box = window.nurvelo('txt_Eingabe_add'), at = box.getBoundingClientRect();
    return [window.focusedInTap, box.getAttribute('inputmode'), box.getAttribute('enterkeyhint'),
      at.bottom <= innerHeight];
  }), ['txt_Eingabe_add', 'text', 'done', true]);
  // Pinched to twice its size (two fingers are the browser's), the window is drawn at twice the
  // resolution, not blurred. Headless Chromium pinches only on request.
  await page.cdp('Emulation.setPageScaleFactor', { pageScaleFactor: 2 });
  await sleep(1000);
  expect('pinched', await page.js(() => {
    const canvas = qt.querySelector('canvas');
    return [getComputedStyle(canvas.parentElement).touchAction,
      Math.round(canvas.width / canvas.getBoundingClientRect().width)];
  }), ['pinch-zoom', 4]);
}

// A build as a plain web server gives it: every file a month old, where a browser may keep a file
// for days without asking again (a tenth of its age). The changed build is the same program with
// one more comment and one more custom section, put together as the build does.
const month = Date.now() / 1000 - 30 * 24 * 3600;
function dated(from, changed) {
  const to = mkdtempSync(join(tmpdir(), 'nurvelo-page-'));
  cpSync(from, to, { recursive: true, dereference: true });
  if (changed) {
    appendFileSync(join(to, 'Nurvelo.js'), '\n// changed\n');
    appendFileSync(join(to, 'Nurvelo.wasm'), Buffer.from([0, 8, 7, ...Buffer.from('changed')]));
    execFileSync('cmake', [`-DBUILT=${to}`, `-DSOURCE=${join(here, '../../src/window')}`,
      `-DPAGE=${to}`, '-P', join(here, '../../cmake/webpage.cmake')]);
  }
  for (const file of readdirSync(to)) utimesSync(join(to, file), month, month);
  return to;
}
const [old, changed] = [dated(folder), dated(folder, true)];
const version = (page) => readFileSync(join(page, 'service-worker.js'), 'utf8')
  .match(/"Nurvelo " \+ self.registration.scope \+ " ";\nconst version = kept \+ "(\w+)"/)[1];

// After a new build is put on the server, the first load still runs the old one and the browser
// keeps the new one beside it; the second runs the new one, and everything kept is the server's.
async function updated(page, server) {
  const kept = () => page.js(() => caches.keys().then((names) => names.join('|')));
  await page.js(() => navigator.serviceWorker.ready.then(() => true));
  await page.load(server.address);
  server.serve(changed);
  await page.load(server.address);
  // Until the new build's worker has taken over, which removes what the old one kept.
  const started = Date.now();
  while (((await kept()).includes('|') || !(await kept()).endsWith(version(changed))) &&
    Date.now() - started < 60000) await sleep(100);
  console.log(`${engine}: the new build taken over after ${Date.now() - started} ms`);
  await page.load(server.address);
  expect('new build', await page.js(() => document.querySelector('script[src^="Nurvelo.js"]').src
    .split('?v=')[1]), readFileSync(join(changed, 'index.html'), 'utf8').match(/Nurvelo.js\?v=(\w+)/)[1]);
  expect('kept', (await kept()).split('|').map((name) => name.split(' ').pop()), [version(changed)]);
  expect('kept as served', await page.js(async () => {
    const cache = await caches.open((await caches.keys())[0]);
    const same = async (request) => {
      const [kept, served] = await Promise.all([cache.match(request),
        fetch(request.url, { cache: 'no-store' })].map(async (r) => new Uint8Array(await (await r).arrayBuffer())));
      return kept.length === served.length && kept.every((byte, i) => byte === served[i]) ? '' : request.url;
    };
    return (await Promise.all((await cache.keys()).map(same))).filter(Boolean);
  }), []);
  server.stop();
  await page.load(server.address);
  expect('offline', await page.js(() => !!navigator.serviceWorker.controller));
}

// NURVELO_BROWSERS=webkit, say, for one of them only.
for (engine of (process.env.NURVELO_BROWSERS ?? 'chromium firefox webkit').split(' ')) {
  const server = new Server(old);
  await server.start();
  let page;
  for (const attempt of [1, 2]) {
    try {
      page = await Page.open(engine, server.address);
      await page.probe(watch, CELLS);
      await accessible(page);
      await lesson(page);
      if (engine === 'chromium') {
        for (const [width, height, finger] of [[1024, 768, 44], [768, 1024, 44], [360, 740, 24],
          [740, 360, 24], [1366, 768, 44], [1280, 720, 44]])
          await arranged(page, { width, height, scale: 2, touch: width < 1280 }, finger, width >= 1280);
        await page.load(`${server.address}?vorlesen`);
        expect('?vorlesen', await page.js(() => qt.querySelector('[aria-live] > *').textContent),
          'Vorlesen an');
        await touched(page);
      }
      await updated(page, server);
      break;
    } catch (error) {
      // WebKitGTK drawing without a GPU now and then stops its own web process while it draws
      // (a shader of its own it cannot compile): not the page's doing, so once more.
      if (!page?.crashed() || attempt === 2) throw error;
      console.log(`${engine}: the web process stopped (${error.message}); once more`);
      await page.close();
    }
  }
  await page.close();
  server.stop();
  console.log(`${engine}: ${failures.filter((f) => f.startsWith(engine)).length} failures`);
}
console.log(failures.join('\n'));
process.exit(failures.length ? 1 : 0);
