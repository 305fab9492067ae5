"""Headless Chromium driven through its DevTools protocol, over one websocket.

Only what the page's tests and benchmark need: a browser started on a fresh
profile, one page attached to it, commands that wait for their answer, and
the events that came meanwhile, kept until asked for.
"""

import json
import os
import shutil
import subprocess
import tempfile
import time

import websocket

CHROMIUM = "/usr/bin/chromium"


class Timeout(Exception):
    pass


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="corvane-chromium-")
        self.process = subprocess.Popen(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + self.profile, "--remote-debugging-port=0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Chromium writes the port it took, then the browser's websocket path.
        active = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + 30
        lines = []
        while len(lines) < 2:
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.close()
                raise RuntimeError("chromium did not start")
            time.sleep(0.05)
            if os.path.exists(active):
                with open(active) as f:
                    lines = f.read().split()
        self.socket = websocket.create_connection("ws://127.0.0.1:%s%s" % (lines[0], lines[1]),
                                                  timeout=60, suppress_origin=True)
        self.next_id = 0
        self.events = []

    def close(self):
        if getattr(self, "socket", None):
            self.socket.close()
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def _receive(self, deadline):
        self.socket.settimeout(max(0.01, deadline - time.monotonic()))
        try:
            return json.loads(self.socket.recv())
        except websocket.WebSocketTimeoutException:
            return None

    def send(self, method, params=None, session=None, timeout=60):
        self.next_id += 1
        wanted = self.next_id
        message = {"id": wanted, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        self.socket.send(json.dumps(message))
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            reply = self._receive(deadline)
            if reply is None:
                break
            if reply.get("id") == wanted:
                if "error" in reply:
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                return reply["result"]
            if "method" in reply:
                self._keep(reply)
        raise Timeout(method)

    def _keep(self, event):
        # A worker waits for its network to be watched before it runs.
        params = event["params"]
        if event["method"] == "Target.attachedToTarget" and params.get("waitingForDebugger"):
            for method in ("Network.enable", "Runtime.runIfWaitingForDebugger"):
                self.next_id += 1
                self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": {},
                                             "sessionId": params["sessionId"]}))
        self.events.append(event)

    def wait_event(self, method, timeout, match=lambda params: True):
        """The first kept or coming event of that name whose parameters match; it is taken."""
        deadline = time.monotonic() + timeout
        while True:
            for event in self.events:
                if event["method"] == method and match(event["params"]):
                    self.events.remove(event)
                    return event["params"]
            if time.monotonic() >= deadline:
                raise Timeout(method)
            event = self._receive(deadline)
            if event is not None and "method" in event:
                self._keep(event)

    def take_events(self, method):
        taken = [e["params"] for e in self.events if e["method"] == method]
        self.events = [e for e in self.events if e["method"] != method]
        return taken

    def pump(self, seconds):
        """Keeps the events that come within that time."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            event = self._receive(deadline)
            if event is not None and "method" in event:
                self._keep(event)

    def renderer_pids(self):
        """This browser's renderer processes (the page's, and its worker's)."""
        children = {}
        for entry in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/stat" % entry) as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
                with open("/proc/%s/cmdline" % entry, "rb") as f:
                    # Chromium rewrites its children's titles: one string, spaces between.
                    renderer = b"--type=renderer" in f.read().replace(b"\0", b" ").split()
            except (OSError, ValueError):
                continue
            children.setdefault(parent, []).append((int(entry), renderer))
        pids, todo = [], [self.process.pid]
        while todo:
            for pid, renderer in children.get(todo.pop(), []):
                todo.append(pid)
                if renderer:
                    pids.append(pid)
        return pids

    def new_page(self, downloads=None, watch=True):
        """A new tab; watched, its network and its workers' are reported (a worker waits for that)."""
        target = self.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        if downloads:
            self.send("Browser.setDownloadBehavior",
                      {"behavior": "allowAndName", "downloadPath": downloads, "eventsEnabled": True})
        return Page(self, session, target, watch)


class Page:
    def __init__(self, browser, session, target, watch):
        self.browser = browser
        self.session = session
        self.target = target
        for domain in ("Page", "Runtime", "DOM") + (("Network",) if watch else ()):
            self.send(domain + ".enable")
        if watch:
            self.send("Target.setAutoAttach", {"autoAttach": True, "waitForDebuggerOnStart": True, "flatten": True})

    def close(self):
        self.browser.send("Target.closeTarget", {"targetId": self.target})

    def send(self, method, params=None, timeout=60):
        return self.browser.send(method, params, self.session, timeout)

    def navigate(self, url):
        self.send("Page.navigate", {"url": url})
        self.browser.wait_event("Page.loadEventFired", 30)

    def eval(self, expression, timeout=60):
        """The value of a JavaScript expression; a promise is waited for."""
        reply = self.send("Runtime.evaluate",
                          {"expression": expression, "returnByValue": True, "awaitPromise": True}, timeout)
        if "exceptionDetails" in reply:
            raise RuntimeError("%s: %s" % (expression, reply["exceptionDetails"]))
        return reply["result"].get("value")

    def wait_for(self, expression, timeout):
        """Polls until the expression is truthy, and gives its value."""
        deadline = time.monotonic() + timeout
        while True:
            value = self.eval(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise Timeout(expression)
            self.browser.pump(0.02)

    def set_file(self, selector, *paths):
        document = self.send("DOM.getDocument", {"depth": 0})["root"]["nodeId"]
        node = self.send("DOM.querySelector", {"nodeId": document, "selector": selector})["nodeId"]
        self.send("DOM.setFileInputFiles", {"nodeId": node, "files": list(paths)})

    def press(self, key, code, key_code, shift=False):
        modifiers = 8 if shift else 0
        for kind in ("rawKeyDown", "keyUp"):
            self.send("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": code, "modifiers": modifiers,
                                                 "windowsVirtualKeyCode": key_code})
