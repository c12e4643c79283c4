// Opens the web page in a real browser, as a school's computer or tablet does from a plain web
// server (Python's, in a subfolder, with the files' dates and no word on caching), and works it
// the same way in Chromium and Firefox (puppeteer-core) and in WebKit (selenium-webdriver with
// WebKitGTK's own driver, which needs an X screen).
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { mkdirSync, mkdtempSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';
import { Builder, Key } from 'selenium-webdriver';
import { Pointer } from 'selenium-webdriver/lib/input.js';

export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

const freePort = () => new Promise((found) => {
  const probe = createServer().listen(0, '127.0.0.1', () =>
    ((port) => probe.close(() => found(port)))(probe.address().port));
});
const answering = async (at) => { while (!(await fetch(at).catch(() => null))) await sleep(100); };

export class Server {
  // The page's folder as /klasse/nurvelo/ on a web server of this machine.
  constructor(folder) {
    this.site = mkdtempSync(join(tmpdir(), 'nurvelo-site-'));
    mkdirSync(join(this.site, 'klasse'));
    this.serve(folder);
  }

  // Another folder in the same place, as an administrator puts a new build there.
  serve(folder) {
    rmSync(join(this.site, 'klasse', 'nurvelo'), { force: true });
    symlinkSync(resolve(folder), join(this.site, 'klasse', 'nurvelo'));
  }

  async start() {
    // The same address every time: a browser keeps what it keeps by address.
    this.port ??= await freePort();
    this.child = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', '--directory',
      this.site, `${this.port}`], { stdio: 'ignore' });
    this.address = `http://127.0.0.1:${this.port}/klasse/nurvelo/`;
    await answering(this.address);
  }

  stop() { this.child.kill(); }
}

export class Page {
  // engine: chromium, firefox or webkit; size: { width, height, scale, touch }; before: a
  // function run in the page before its own scripts (Chromium and Firefox).
  static async open(engine, address, size = { width: 1280, height: 800 }, before = null) {
    const page = new Page(engine);
    if (engine === 'webkit') {
      const port = await freePort();
      page.webDriver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'pipe' });
      page.webDriver.said = '';
      for (const output of [page.webDriver.stdout, page.webDriver.stderr])
        output.on('data', (said) => (page.webDriver.said += said));
      await answering(`http://127.0.0.1:${port}/status`);
      page.driver = await new Builder()
        .withCapabilities({
          browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': {
            binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
            args: ['--automation', `--geometry=${size.width}x${size.height}`],
          },
        })
        .usingServer(`http://127.0.0.1:${port}`)
        .build();
    } else {
      page.browser = await puppeteer.launch({
        browser: engine === 'chromium' ? 'chrome' : engine,
        executablePath: engine === 'chromium' ? '/usr/bin/chromium' : '/usr/bin/firefox-esr',
        // As root in a container: no sandbox, no /dev/shm; no calls home.
        args: engine === 'chromium' ? ['--no-sandbox', '--disable-dev-shm-usage',
          '--disable-gpu', '--no-first-run', '--disable-background-networking',
          '--disable-component-update', '--disable-sync'] : [],
      });
      [page.page] = await page.browser.pages();
      if (before) await page.page.evaluateOnNewDocument(before);
    }
    await page.resize(size);
    await page.load(address);
    return page;
  }

  constructor(engine) { this.engine = engine; }

  // What WebKit said when its own web process stopped, if it did.
  crashed() {
    return /WebProcess CRASHED/.test(this.webDriver?.said ?? '');
  }

  async load(address) {
    await (this.page ? this.page.goto(address) : this.driver.get(address));
    await this.shown();
    this.loaded = true;
  }

  // Once the window is there, window.nurvelo(name) is the element over a control, in window.qt,
  // the page's part that Qt draws the window in.
  async shown() {
    for (const started = Date.now(); Date.now() - started < 30000; await sleep(100)) {
      const shown = await this.js(() => {
        window.qt = document.getElementById('qt-shadow-container')?.shadowRoot;
        window.nurvelo = (id) => window.qt?.getElementById(id);
        return !!window.nurvelo('cmd_ok');
      }).catch(() => false); // still loading
      if (!shown) continue;
      // The probe once in each document, as a touch screen switched on or off loads it anew.
      if (this.probing) await this.js(`if (!window.probed) { window.probed = true;
        (${this.probing.fn}).apply(null, ${JSON.stringify(this.probing.args)}); }`);
      return;
    }
    throw new Error(`the window did not show: ${await this.js(() => document.body.innerText)}`);
  }

  // A function run in the page, with arguments that JSON can carry; or a script.
  async js(fn, ...args) {
    if (this.page) return this.page.evaluate(fn, ...args);
    return this.driver.executeScript(typeof fn === 'string' ? fn
      : `return (${fn}).apply(null, arguments)`, ...args);
  }

  // A function run in the page now and in every page loaded after it.
  async probe(fn, ...args) {
    this.probing = { fn, args };
    await this.shown();
  }

  async middle(id) {
    const r = await this.js((id) => window.nurvelo(id).getBoundingClientRect().toJSON(), id);
    return { x: Math.round(r.x + r.width / 2), y: Math.round(r.y + r.height / 2) };
  }

  // By mouse, or with a finger.
  async click(id, by = 'mouse') {
    const { x, y } = await this.middle(id);
    if (this.page) return by === 'mouse' ? this.page.mouse.click(x, y) : this.page.touchscreen.tap(x, y);
    const p = new Pointer(by, by === 'mouse' ? Pointer.Type.MOUSE : Pointer.Type.TOUCH);
    return this.driver.actions({ async: true }).insert(p, p.move({ x, y }), p.press(), p.release()).perform();
  }

  // Keys held together, by their names in selenium's Key: TAB, SHIFT+TAB, SPACE, ENTER, F2.
  async key(combination) {
    const keys = combination.split('+');
    if (this.page) {
      const names = { SHIFT: 'Shift', TAB: 'Tab', SPACE: ' ', ENTER: 'Enter' };
      for (const k of keys) await this.page.keyboard.down(names[k] ?? k);
      for (const k of keys.reverse()) await this.page.keyboard.up(names[k] ?? k);
      return;
    }
    const actions = this.driver.actions({ async: true });
    for (const k of keys) actions.keyDown(Key[k]);
    for (const k of keys.reverse()) actions.keyUp(Key[k]);
    return actions.perform();
  }

  async type(text) {
    if (this.page) return this.page.keyboard.type(text);
    return this.driver.actions({ async: true }).sendKeys(text).perform();
  }

  // A touch screen, or none, makes Chromium load the page again.
  async resize({ width, height, scale = 1, touch = false }) {
    if (this.page)
      await this.page.setViewport({ width, height, deviceScaleFactor: scale, hasTouch: touch,
        isMobile: touch });
    else await this.driver.manage().window().setRect({ width, height });
    if (this.loaded) await this.shown();
  }

  async shot(file) {
    if (this.page) return this.page.screenshot({ path: file });
    writeFileSync(file, await this.driver.takeScreenshot(), 'base64');
  }

  // The DevTools protocol: Chromium only.
  async cdp(method, parameters = {}) {
    this.session ??= await this.page.createCDPSession();
    return this.session.send(method, parameters);
  }

  async close() {
    await (this.page ? this.browser.close() : this.driver.quit()).catch(() => {});
    this.webDriver?.kill();
  }
}

// Run in the page (page.probe(watch, cells)), it keeps track of what the tests ask: each control's
// element as a screen reader finds it; the live region; both rows; when each cell turned red and
// green again on the canvas, as Qt puts the window's picture there; and what is handed to the
// browser's speech, with a German voice of 70 ms a letter.
export const watch = (cells) => {
  window.controls = () => [...qt.querySelectorAll('[id^=lbl_],[id^=cmd_],[id^=txt_]')];
  window.described = () => controls().map((e) => [e.id, e.localName,
    e.getAttribute('aria-label') ?? e.textContent, e.getAttribute('aria-description')].join('|'));
  // What the live region was told, without what it is told again after a key.
  window.said = () => [...qt.querySelectorAll('[aria-live] > :not([data-again])')]
    .map((line) => line.textContent);
  // The text a screen reader reads line by line, a line's parts joined by a space.
  window.read = () => [...window.nurvelo('cmd_ok').parentElement.children]
    .filter((e) => e.localName === 'div' && !e.ariaHidden && !e.ariaLive && e.textContent)
    .map((e) => [e.textContent, Math.round(e.getBoundingClientRect().top)]);
  window.rows = () => cells.map((id) => window.nurvelo(id).textContent.split(' ')[1]).join(' ');
  window.lit = [];
  const red = {};
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
    put.call(this, image, ...rest);
    const canvas = this.canvas, scale = canvas.width / canvas.getBoundingClientRect().width;
    const at = canvas.getBoundingClientRect(), now = performance.now();
    for (const id of cells) {
      const r = window.nurvelo(id).getBoundingClientRect();
      const pixels = this.getImageData((r.x - at.x) * scale, (r.y - at.y) * scale,
        r.width * scale, r.height * scale).data;
      const isRed = pixels.some((red, i) => i % 4 === 0 && red > 150 && pixels[i + 1] < 100);
      if (isRed && !(id in red)) red[id] = now;
      if (!isRed && id in red) window.lit.push([id, Math.round(now - red[id])]), delete red[id];
    }
  };
  window.spoken = [];
  window.SpeechSynthesisUtterance = class { constructor(text) { this.text = text; } };
  Object.assign(SpeechSynthesis.prototype, {
    getVoices: () => [{ lang: 'de-DE', name: 'Anna' }],
    speak: (said) => window.spoken.push(said.text) && setTimeout(() => said.onend(), 70 * said.text.length),
    cancel: () => {},
  });
};
