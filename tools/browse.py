#!/usr/bin/env python3
"""Opens the web page in a real browser, Chromium or WebKit, as a teacher's machine would from a
web server (in a subfolder), does what standard input says, one command a line, and prints what
it was asked to tell.

    xvfb-run -a python3 tools/browse.py webkit|chromium build-web [SCALE] <<'EOF'
    click cmd_Einer_plus     a mouse click in the middle of the control
    tap cmd_Einer_plus       a finger's tap there
    activate cmd_ok          as a screen reader activates it: found in the page's accessibility
                             tree by its name, and its default action done
    type 999                 keys typed where the focus is; also: key TAB, key SHIFT+TAB,
                             key SPACE, key RETURN
    insert -30000            text put in where the focus is without keys, as a paste or a
                             tablet's keyboard puts it
    size 800x1200            the browser window's size, as when a tablet is turned
    wait 300                 waits that many milliseconds
    rows                     both rows as the page's elements give them, thousands first
    lit                      each cell that was red since the last `lit`, in turn: its name, how
                             long it was seen red and how long between the last look before it
                             was red and the first look after (ms)
    tree                     role, name and description of each control's element, as the
                             browser's accessibility tree has them
    said                     the live region's messages, one a line
    focus                    the control whose element has the page's focus
    offline                  stops the web server, loads the page again and tells whether the
                             service worker kept it
    shot FILE.png            a screenshot
    EOF

SCALE is the device pixel ratio (Chromium only; 2 as on an iPad). Chromium runs headless; WebKit (WebKitGTK's WebDriver and MiniBrowser) needs an X screen.
Needs python3-selenium, chromium and chromium-driver, or webkit2gtk-driver.
"""
import functools
import http.server
import pathlib
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import JavascriptException, WebDriverException
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.keys import Keys

ROOT = "document.getElementById('qt-shadow-container').shadowRoot"
CELLS = [f"lbl_{place}{row}" for row in ("", "_add")
         for place in ("Tausender", "Hunderter", "Zehner", "Einer")]

# Looks at the canvas at every frame the browser draws: a cell is red while red pixels show in
# it (green digits otherwise).
WATCH = """
const root = %s, cells = arguments[0];
window.nurveloLit = []; const since = {}, before = {}; let last = 0;
const look = (now) => {
    const canvas = root.querySelector('canvas'), at = canvas.getBoundingClientRect();
    const scale = canvas.width / at.width, context = canvas.getContext('2d');
    for (const id of cells) {
        const r = root.getElementById(id).getBoundingClientRect();
        const pixels = context.getImageData((r.x - at.x) * scale, (r.y - at.y) * scale,
                                            r.width * scale, r.height * scale).data;
        let red = false;
        for (let i = 0; i < pixels.length && !red; i += 4)
            red = pixels[i] > 150 && pixels[i + 1] < 100;
        if (red && !(id in since)) { since[id] = now; before[id] = last; }
        if (!red && id in since) {
            window.nurveloLit.push([id, last - since[id], now - before[id]]);
            delete since[id];
        }
    }
    last = now;
    requestAnimationFrame(look);
};
requestAnimationFrame(look);
""" % ROOT


def start_browser(name, scale, log):
    if name == "chromium":
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        # As root in a container: no sandbox, no /dev/shm; no calls home.
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                         "--disable-gpu", "--no-first-run", "--disable-background-networking",
                         "--disable-component-update", "--disable-sync", "--window-size=1280,800",
                         f"--force-device-scale-factor={scale}"):
            options.add_argument(argument)
        service = webdriver.ChromeService("/usr/bin/chromedriver")
        return webdriver.Chrome(options=options, service=service)
    options = webdriver.WebKitGTKOptions()
    options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    options.add_argument("--automation")
    options.add_argument("--geometry=1280x800")
    return webdriver.WebKitGTK(options=options, service=webdriver.WebKitGTKService(
        "/usr/bin/WebKitWebDriver", log_output=log))


class Server:
    """The page's folder in a subfolder of a plain static web server."""

    def __init__(self, page):
        self.site = tempfile.TemporaryDirectory()
        (pathlib.Path(self.site.name) / "klasse").mkdir()
        (pathlib.Path(self.site.name) / "klasse" / "nurvelo").symlink_to(page.resolve())
        handler = functools.partial(Quiet, directory=self.site.name)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        self.address = f"http://127.0.0.1:{self.httpd.server_port}/klasse/nurvelo/"

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *arguments):
        pass


class Page:
    def __init__(self, browser, folder, scale=1, watch=True, before=None, log=None):
        self.browser, self.watch = browser, watch
        self.server = Server(pathlib.Path(folder))
        self.driver = start_browser(browser, scale, log)
        self.driver.set_script_timeout(30)
        if before:  # run in the page before anything of its own
            self.cdp("Page.addScriptToEvaluateOnNewDocument", source=before)
        self.load()

    def load(self):
        self.driver.get(self.server.address)
        for _ in range(300):
            try:
                if self.js(f"return !!({ROOT} && {ROOT}.getElementById('cmd_ok'))"):
                    break
            except JavascriptException:  # the page is still loading
                pass
            time.sleep(0.1)
        else:
            # What the page says instead, and what the browser's console said on the way.
            status = self.js("return document.getElementById('status').textContent")
            logs = self.driver.get_log("browser") if self.browser == "chromium" else []
            raise SystemExit(f"the window did not show: {status} {logs}")
        if self.watch:
            self.js(WATCH, CELLS)

    def js(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def element(self, name):
        return self.js(f"return {ROOT}.getElementById(arguments[0])", name)

    def point(self, name, kind):
        r = self.js(f"return {ROOT}.getElementById(arguments[0]).getBoundingClientRect().toJSON()",
                    name)
        builder = ActionBuilder(self.driver, mouse=PointerInput(kind, kind))
        builder.pointer_action.move_to_location(int(r["x"] + r["width"] / 2),
                                                int(r["y"] + r["height"] / 2))
        builder.pointer_action.pointer_down().pointer_up()
        builder.perform()

    def cdp(self, command, **parameters):
        return self.driver.execute_cdp_cmd(command, parameters)

    def backend_node(self, name):
        found = self.cdp("Runtime.evaluate", expression=f"{ROOT}.getElementById('{name}')")
        return self.cdp("DOM.describeNode", objectId=found["result"]["objectId"])["node"][
            "backendNodeId"]

    def activate(self, name):
        if self.browser != "chromium":
            return self.js("arguments[0].click()", self.element(name))
        # Found as a screen reader finds it, by its role and name in the accessibility tree.
        self.cdp("Accessibility.enable")
        described = self.cdp("Accessibility.getPartialAXTree",
                             backendNodeId=self.backend_node(name), fetchRelatives=False)
        node = described["nodes"][0]
        document = self.cdp("Runtime.evaluate", expression="document")["result"]["objectId"]
        found = self.cdp("Accessibility.queryAXTree", objectId=document,
                         accessibleName=node["name"]["value"], role=node["role"]["value"])
        target = self.cdp("DOM.resolveNode", backendNodeId=found["nodes"][0]["backendDOMNodeId"])
        self.cdp("Runtime.callFunctionOn", objectId=target["object"]["objectId"],
                 functionDeclaration="function() { this.click(); }")

    def tree(self):
        names = self.js(f"return [...{ROOT}.querySelectorAll('[id^=lbl_],[id^=cmd_],[id^=txt_]')]"
                        ".map(e => e.id)")
        if self.browser == "chromium":
            self.cdp("Accessibility.enable")
        for name in names:
            if self.browser == "chromium":
                node = self.cdp("Accessibility.getPartialAXTree",
                                backendNodeId=self.backend_node(name),
                                fetchRelatives=False)["nodes"][0]
                description = node.get("description", {}).get("value", "")
                if node["role"]["value"] == "generic":  # a label: its text is what is read
                    node = self.cdp("Accessibility.getChildAXNodes", id=node["nodeId"])["nodes"][0]
                role, label = node["role"]["value"], node.get("name", {}).get("value", "")
            else:
                element = self.element(name)
                role, label = element.aria_role, element.accessible_name
                description = element.get_attribute("aria-description") or ""
                if role == "generic":
                    role, label = "StaticText", element.get_property("textContent")
            print(f"{name}|{role}|{label}|{description}")

    def said(self):
        if self.browser != "chromium":
            role = self.js(f"return {ROOT}.querySelector('[aria-live]')").aria_role
            lines = self.js(f"return [...{ROOT}.querySelectorAll('[aria-live] > *')]"
                            ".map(e => e.textContent)")
            return print("\n".join(f"{role}|{line}" for line in lines))
        nodes = self.cdp("Accessibility.getFullAXTree")["nodes"]
        by_id = {node["nodeId"]: node for node in nodes}
        log = next(node for node in nodes if node["role"]["value"] == "log")

        def texts(node):
            if node["role"]["value"] == "StaticText":
                yield node["name"]["value"]
                return
            for child in node.get("childIds", []):
                yield from texts(by_id[child])

        for text in texts(log):
            print(f"log|{text}")

    def run(self, line):
        command, _, rest = line.strip().partition(" ")
        if command in ("click", "tap"):
            self.point(rest, interaction.POINTER_MOUSE if command == "click"
                       else interaction.POINTER_TOUCH)
        elif command == "activate":
            self.activate(rest)
        elif command == "type":
            ActionChains(self.driver).send_keys(rest).perform()
        elif command == "insert":
            self.js("document.execCommand('insertText', false, arguments[0])", rest)
        elif command == "size":
            width, height = rest.split("x")
            self.driver.set_window_size(int(width), int(height))
        elif command == "key":
            keys = ActionChains(self.driver)
            *held, key = rest.split("+")
            for modifier in held:
                keys.key_down(getattr(Keys, modifier.upper()))
            keys.send_keys(getattr(Keys, key.upper()))
            for modifier in held:
                keys.key_up(getattr(Keys, modifier.upper()))
            keys.perform()
        elif command == "wait":
            time.sleep(int(rest) / 1000)
        elif command == "rows":
            print(" ".join(self.js("return arguments[0].map(id => "
                                   f"{ROOT}.getElementById(id).textContent)", CELLS)))
        elif command == "lit":
            for name, seen, bounded in self.js("return window.nurveloLit.splice(0)"):
                print(f"{name} {round(seen)} {round(bounded)}")
        elif command == "tree":
            self.tree()
        elif command == "said":
            self.said()
        elif command == "focus":
            print(self.js(f"return {ROOT}.activeElement ? {ROOT}.activeElement.id : ''"))
        elif command == "offline":
            # Once the service worker holds every file, as it does a little after the first start.
            self.driver.execute_async_script(
                "navigator.serviceWorker.ready.then(() => arguments[arguments.length - 1]())")
            self.server.stop()
            self.load()
            print("kept:", self.js("return !!navigator.serviceWorker.controller"))
        elif command == "shot":
            self.driver.save_screenshot(rest)
        elif command:
            raise SystemExit(f"unknown command: {line}")
        sys.stdout.flush()


def crashed(log):
    """What WebKit said when its web process stopped, if it did."""
    log.seek(0)
    said = log.read()
    return said if "WebProcess CRASHED" in said else ""


def main():
    log = tempfile.TemporaryFile("w+")  # what WebKit says on the way
    try:
        page = Page(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else 1, log=log)
        try:
            for line in sys.stdin:
                page.run(line)
        finally:
            page.driver.quit()
    except WebDriverException:
        # WebKitGTK drawing without a GPU now and then fails to compile a shader of its own while
        # it draws this page ("integer is too large: 255"), and its web process stops: not the
        # page's doing, so the caller may try once more (status 75, "try again later").
        said = crashed(log)
        if not said:
            raise
        print(f"WebKit's web process stopped:\n{said}", file=sys.stderr)
        sys.exit(75)


if __name__ == "__main__":
    main()
