// Opens the web page in a real browser, as a school's computer or tablet does from a plain web
// server (Python's, in a subfolder, with the dates of the files and no caching advice), and works
// it the same way in Chromium and Firefox (puppeteer-core) and in WebKit (selenium-webdriver with
// WebKitGTK's driver, on an X screen).
import { spawn } from 'node:child_process';
import { mkdtempSync, mkdirSync, rmSync, symlinkSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';
import { Builder, Key } from 'selenium-webdriver';
import { Pointer } from 'selenium-webdriver/lib/input.js';

// The page's element that stands over a control, found by the control's name.
const inPage = `window.nurvelo = (id) =>
    document.getElementById('qt-shadow-container')?.shadowRoot?.getElementById(id);`;

export class Server {
  // The page's folder as /klasse/nurvelo/ of a web server on this machine.
  constructor(folder) {
    this.site = mkdtempSync(join(tmpdir(), 'nurvelo-site-'));
    mkdirSync(join(this.site, 'klasse'));
    this.serve(folder);
  }

  serve(folder) {
    rmSync(join(this.site, 'klasse', 'nurvelo'), { force: true });
    symlinkSync(resolve(folder), join(this.site, 'klasse', 'nurvelo'));
  }

  async start() {
    this.process = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1',
      '--directory', this.site, '0'], { stdio: ['ignore', 'pipe', 'ignore'] });
    const port = await new Promise((found) => this.process.stdout.on('data', (said) => {
      const match = /port (\d+)/.exec(said);
      if (match) found(match[1]);
    }));
    // Kept the same across restarts: the browser keeps what it has by address.
    this.port ??= port;
    if (port !== this.port) throw new Error('the server came back on another port');
    this.address = `http://127.0.0.1:${this.port}/klasse/nurvelo/`;
  }

  stop() {
    this.process?.kill();
    this.process = null;
  }

  close() {
    this.stop();
    rmSync(this.site, { recursive: true, force: true });
  }
}

const webkit = {
  async launch(size) {
    const driver = await new Builder()
      .withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': {
          binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
          args: ['--automation', `--geometry=${size.width}x${size.height}`],
        },
      })
      .usingServer(await webkit.driver())
      .build();
    return driver;
  },
  // WebKitWebDriver, started here, as selenium knows no WebKitGTK of its own.
  async driver() {
    const process = spawn('WebKitWebDriver', ['--port=0'], { stdio: ['ignore', 'pipe', 'pipe'] });
    webkit.process = process;
    return new Promise((found) => {
      const look = (said) => {
        const match = /:(\d+)/.exec(said);
        if (match) found(`http://127.0.0.1:${match[1]}`);
      };
      process.stdout.on('data', look);
      process.stderr.on('data', look);
    });
  },
};

export class Page {
  // engine: chromium, firefox or webkit; size: {width, height, scale, touch}.
  static async open(engine, server, size = { width: 1280, height: 800 }) {
    const page = new Page(engine);
    if (engine === 'webkit') {
      page.driver = await webkit.launch(size);
    } else {
      page.browser = await puppeteer.launch({
        browser: engine,
        executablePath: engine === 'chromium' ? '/usr/bin/chromium' : '/usr/bin/firefox-esr',
        headless: true,
        // As root in a container: no sandbox, no /dev/shm; no calls home.
        args: engine === 'chromium' ? ['--no-sandbox', '--disable-dev-shm-usage', '--disable-gpu',
          '--no-first-run', '--disable-background-networking', '--disable-component-update',
          '--disable-sync'] : [],
      });
      page.page = (await page.browser.pages())[0] ?? (await page.browser.newPage());
      await page.page.evaluateOnNewDocument(inPage);
    }
    await page.resize(size);
    await page.load(server.address);
    return page;
  }

  constructor(engine) {
    this.engine = engine;
  }

  async load(address) {
    if (this.page) await this.page.goto(address);
    else await this.driver.get(address);
    const started = Date.now();
    while (!(await this.js(() => { window.nurvelo ??= (id) => document.getElementById('qt-shadow-container')?.shadowRoot?.getElementById(id); return !!window.nurvelo('cmd_ok'); }))) {
      if (Date.now() - started > 30000)
        throw new Error(`the window did not show: ${await this.js(() => document.body.innerText)}`);
      await sleep(100);
    }
  }

  // A function run in the page, with arguments that JSON can carry.
  async js(fn, ...args) {
    if (this.page) return this.page.evaluate(fn, ...args);
    return this.driver.executeScript(`return (${fn}).apply(null, arguments)`, ...args);
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

  // Keys by their names in selenium's Key (TAB, SPACE, SHIFT+TAB ...), or text.
  async key(combination) {
    const keys = combination.split('+');
    if (this.page) {
      const names = { TAB: 'Tab', SPACE: 'Space', RETURN: 'Enter', SHIFT: 'Shift', F2: 'F2' };
      for (const k of keys) await this.page.keyboard.down(names[k]);
      for (const k of keys.reverse()) await this.page.keyboard.up(names[k]);
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

  async resize({ width, height, scale = 1, touch = false }) {
    if (this.page)
      return this.page.setViewport({ width, height, deviceScaleFactor: scale, hasTouch: touch,
        isMobile: touch });
    return this.driver.manage().window().setRect({ width, height });
  }

  async shot(file) {
    if (this.page) return this.page.screenshot({ path: file });
    const { writeFileSync } = await import('node:fs');
    writeFileSync(file, await this.driver.takeScreenshot(), 'base64');
  }

  // The DevTools protocol, Chromium only.
  async cdp(method, parameters = {}) {
    this.session ??= await this.page.createCDPSession();
    return this.session.send(method, parameters);
  }

  async close() {
    await (this.page ? this.browser.close() : this.driver.quit());
    webkit.process?.kill();
  }
}

export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
