#!/usr/bin/env python3
"""Reads a page as headless Chromium shows it, over the browser's DevTools pipe, for the
exporter's page test.

usage: browser_probe.py TO_BROWSER FROM_BROWSER URL OUTPUT_DIR
  TO_BROWSER, FROM_BROWSER  the fifos that the browser, started with --remote-debugging-pipe,
                            holds open as its descriptors 3 and 4
  URL                       the page
  OUTPUT_DIR                where the screenshots go: lab-page.png (wide) and lab-page-phone.png

First a page that opens a dialog shows that a dialog would be seen (each is counted and accepted). Then the page at URL is
loaded at a desktop's width and at a phone's, and what it shows is printed, one fact a line,
fields separated by tabs:
  row  CELL...  STATE_BACKGROUND    each row of the table, its cells' text and the state cell's
                                    computed background colour (wide)
  elements  IMG SCRIPT              how many img and script elements the page has
  dialogs  COUNT                    dialogs opened by the page, at either width
  phone-overflow  PIXELS            how far the page is wider than a phone's 360 pixels
Ends with exit code 1 when the browser does not do as asked.
"""
import base64
import json
import os
import select
import sys
import time

READ_FACTS = """JSON.stringify({
  rows: [...document.querySelectorAll('tbody tr')].map(row =>
    [...row.cells].map(cell => cell.textContent)
      .concat([getComputedStyle(row.cells[3]).backgroundColor])),
  images: document.getElementsByTagName('img').length,
  scripts: document.getElementsByTagName('script').length,
  overflow: document.documentElement.scrollWidth - window.innerWidth,
})"""


class Browser:
    """The DevTools protocol over the pipe: messages of JSON, each ended by a NUL byte."""

    def __init__(self, to_browser, from_browser):
        self.sending = open(to_browser, "wb", buffering=0)
        self.receiving = os.open(from_browser, os.O_RDONLY)
        self.received = b""
        self.events = []
        self.last_id = 0
        self.dialogs = 0  # opened by a page, each accepted at once so that the page goes on

    def send(self, method, session=None, **params):
        self.last_id += 1
        message = {"id": self.last_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        self.sending.write(json.dumps(message).encode() + b"\0")
        return self.last_id

    def call(self, method, session=None, **params):
        sent = self.send(method, session, **params)
        answer = self.wait_for(lambda m: m.get("id") == sent, method)
        if "error" in answer:
            sys.exit(f"{method}: {answer['error']}")
        return answer["result"]

    def event(self, method, seconds=20):
        return self.wait_for(lambda m: m.get("method") == method, method, seconds)

    def wait_for(self, matches, what, seconds=20):
        deadline = time.monotonic() + seconds
        while True:
            for message in self.events:
                if matches(message):
                    self.events.remove(message)
                    return message
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.receiving], [], [], left)[0]:
                sys.exit(f"no {what} from the browser within {seconds} s")
            chunk = os.read(self.receiving, 1 << 20)
            if not chunk:
                sys.exit(f"the browser closed its pipe while {what} was awaited")
            self.received += chunk
            *complete, self.received = self.received.split(b"\0")
            for message in map(json.loads, complete):
                if message.get("method") == "Page.javascriptDialogOpening":
                    self.dialogs += 1
                    self.send("Page.handleJavaScriptDialog", message.get("sessionId"),
                              accept=True)
                else:
                    self.events.append(message)


def facts(browser, session):
    result = browser.call("Runtime.evaluate", session, expression=READ_FACTS, returnByValue=True)
    return json.loads(result["result"]["value"])


def show(browser, session, url, width, mobile, path):
    """Loads the page at that width and takes a picture of it whole, as tall as it is."""
    browser.call("Emulation.setDeviceMetricsOverride", session, width=width, height=100,
                 deviceScaleFactor=1, mobile=mobile)
    browser.call("Page.navigate", session, url=url)
    browser.event("Page.loadEventFired")
    height = browser.call("Page.getLayoutMetrics", session)["cssContentSize"]["height"]
    browser.call("Emulation.setDeviceMetricsOverride", session, width=width,
                 height=int(height), deviceScaleFactor=1, mobile=mobile)
    picture = browser.call("Page.captureScreenshot", session, format="png")["data"]
    with open(path, "wb") as file:
        file.write(base64.b64decode(picture))
    return facts(browser, session)


def main(to_browser, from_browser, url, output):
    browser = Browser(to_browser, from_browser)
    target = browser.call("Target.createTarget", url="about:blank")["targetId"]
    session = browser.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
    browser.call("Page.enable", session)

    browser.call("Page.navigate", session, url="data:text/html,<script>alert(1)</script>")
    browser.event("Page.loadEventFired")
    if browser.dialogs != 1:
        sys.exit(f"a page that opens a dialog opened {browser.dialogs}")
    browser.dialogs = 0

    wide = show(browser, session, url, 1000, False, os.path.join(output, "lab-page.png"))
    for row in wide["rows"]:
        print("\t".join(["row"] + row))
    print(f"elements\t{wide['images']}\t{wide['scripts']}")
    phone = show(browser, session, url, 360, True, os.path.join(output, "lab-page-phone.png"))
    print(f"phone-overflow\t{phone['overflow']}")
    print(f"dialogs\t{browser.dialogs}")
    browser.send("Browser.close") # it ends without an answer


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
