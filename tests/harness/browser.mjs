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

// Starts a program and waits until it prints what the pattern finds; the first group of it.
function started(program, args, pattern) {
  const child = spawn(program, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  child.said = '';
  const found = new Promise((done, failed) => {
    const look = (chunk) => {
      child.said += chunk;
      const match = pattern.exec(child.said);
      if (match) done(match[1]);
    };
    child.stdout.on('data', look);
    child.stderr.on('data', look);
    child.on('exit', () => failed(new Error(`${program} ended: ${child.said}`)));
  });
  return [child, found];
}

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
    const [child, port] = started('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1',
      '--directory', this.site, this.port ?? '0'], /port (\d+)/);
    this.child = child;
    // The same address every time: a browser keeps what it keeps by address.
    this.port = await port;
    this.address = `http://127.0.0.1:${this.port}/klasse/nurvelo/`;
  }

  stop() {
    this.child.removeAllListeners('exit');
    this.child.kill();
  }
}

export class Page {
  // engine: chromium, firefox or webkit; size: { width, height, scale, touch }; before: a
  // function run in the page before its own scripts (Chromium and Firefox).
  static async open(engine, address, size = { width: 1280, height: 800 }, before = null) {
    const page = new Page(engine);
    if (engine === 'webkit') {
      // WebKit's driver tells nothing when it listens: a free port, asked until it answers.
      const port = await new Promise((found) => {
        const probe = createServer().listen(0, '127.0.0.1', () => {
          const { port } = probe.address();
          probe.close(() => found(port));
        });
      });
      [page.webDriver] = started('WebKitWebDriver', [`--port=${port}`], /^$/);
      while (!(await fetch(`http://127.0.0.1:${port}/status`).catch(() => null))) await sleep(100);
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

  constructor(engine) {
    this.engine = engine;
  }

  // What WebKit said when its own web process stopped, if it did.
  crashed() {
    return /WebProcess CRASHED/.test(this.webDriver?.said ?? '');
  }

  async load(address) {
    await (this.page ? this.page.goto(address) : this.driver.get(address));
    await this.shown();
    this.loaded = true;
  }

  // Once the window is there, window.nurvelo(name) is the element over a control.
  async shown() {
    for (const started = Date.now(); Date.now() - started < 30000; await sleep(100)) {
      const shown = await this.js(() => {
        window.nurvelo = (id) =>
          document.getElementById('qt-shadow-container')?.shadowRoot?.getElementById(id);
        return !!window.nurvelo('cmd_ok');
      }).catch(() => false); // still loading
      if (shown) return;
    }
    throw new Error(`the window did not show: ${await this.js(() => document.body.innerText)}`);
  }

  // A function run in the page, with arguments that JSON can carry; or a script.
  async js(fn, ...args) {
    if (this.page) return this.page.evaluate(fn, ...args);
    return this.driver.executeScript(typeof fn === 'string' ? fn
      : `return (${fn}).apply(null, arguments)`, ...args);
  }

  async middle(id) {
    const r = await this.js((id) => window.nurvelo(id).getBoundingClientRect().toJSON(), id);
    return { x: Math.round(r.x + r.width / 2), y: Math.round(r.y + r.height / 2) };
  }

  async click(id) {
    const { x, y } = await this.middle(id);
    if (this.page) return this.page.mouse.click(x, y);
    return this.driver.actions({ async: true }).move({ x, y }).press().release().perform();
  }

  async tap(id) {
    const { x, y } = await this.middle(id);
    if (this.page) return this.page.touchscreen.tap(x, y);
    const finger = new Pointer('finger', Pointer.Type.TOUCH);
    return this.driver.actions({ async: true })
      .insert(finger, finger.move({ x, y }), finger.press(), finger.release()).perform();
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
