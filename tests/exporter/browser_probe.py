#!/usr/bin/env python3
"""Reads a page as headless Chromium shows it, over the browser's DevTools pipe, for the
exporter's page test.

usage: browser_probe.py TO_BROWSER FROM_BROWSER URL OUTPUT_DIR
  TO_BROWSER, FROM_BROWSER  the fifos that the browser, started with --remote-debugging-pipe,
                            holds open as its descriptors 3 and 4
  OUTPUT_DIR                where the screenshots go: lab-page.png (wide) and lab-page-phone.png

Loads the page at URL at a desktop's width and at a phone's, and prints what it shows, one fact a
line, fields separated by tabs:
  row  CELL...  STATE_BACKGROUND    each row of the table, its cells' text and the state cell's
                                    computed background colour (wide)
  elements  IMG SCRIPT              how many img and script elements the page has
  phone-overflow  PIXELS            how far the page is wider than a phone's 360 pixels
Ends with an error when the browser does not do as asked.
"""
import base64
import json
import os
import select
import sys
import time

READ_FACTS = """({
  rows: [...document.querySelectorAll('tbody tr')].map(row =>
    [...row.cells].map(cell => cell.textContent)
      .concat([getComputedStyle(row.cells[3]).backgroundColor])),
  images: document.getElementsByTagName('img').length,
  scripts: document.getElementsByTagName('script').length,
  overflow: document.documentElement.scrollWidth - document.documentElement.clientWidth,
})"""


class Browser:
    """The DevTools protocol over the pipe: messages of JSON, each ended by a NUL byte."""

    def __init__(self, to_browser, from_browser):
        self.sending = open(to_browser, "wb", buffering=0)
        self.receiving = os.open(from_browser, os.O_RDONLY)
        self.received = b""
        self.unread = []  # messages not yet waited for
        self.last_id = 0

    def call(self, method, session=None, **params):
        self.last_id += 1
        sent = {"id": self.last_id, "method": method, "params": params}
        if session:
            sent["sessionId"] = session
        self.sending.write(json.dumps(sent).encode() + b"\0")
        answer = self.wait_for(lambda message: message.get("id") == sent["id"], method)
        if "error" in answer:
            sys.exit(f"{method}: {answer['error']}")
        return answer["result"]

    def wait_for(self, matches, what, seconds=20):
        deadline = time.monotonic() + seconds
        while not any(map(matches, self.unread)):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.receiving], [], [], left)[0]:
                sys.exit(f"no {what} from the browser within {seconds} s")
            chunk = os.read(self.receiving, 1 << 20)
            if not chunk:
                sys.exit(f"the browser closed its pipe while {what} was awaited")
            *complete, self.received = (self.received + chunk).split(b"\0")
            self.unread += map(json.loads, complete)
        found = next(filter(matches, self.unread))
        self.unread.remove(found)
        return found


def show(browser, session, url, width, mobile, path):
    """Loads the page at that width, takes a picture of it whole, as tall as it is, and reads
    its facts."""
    metrics = {"width": width, "height": 100, "deviceScaleFactor": 1, "mobile": mobile}
    browser.call("Emulation.setDeviceMetricsOverride", session, **metrics)
    # The load of this navigation, not of the blank page before it nor of a refresh after it.
    loader = browser.call("Page.navigate", session, url=url)["loaderId"]
    browser.wait_for(lambda message: message.get("method") == "Page.lifecycleEvent" and
                     (message["params"]["name"], message["params"]["loaderId"]) == ("load", loader),
                     "load")
    layout = browser.call("Page.getLayoutMetrics", session)
    metrics["height"] = int(layout["cssContentSize"]["height"])
    browser.call("Emulation.setDeviceMetricsOverride", session, **metrics)
    picture = browser.call("Page.captureScreenshot", session, format="png")["data"]
    with open(path, "wb") as file:
        file.write(base64.b64decode(picture))
    facts = browser.call("Runtime.evaluate", session, expression=READ_FACTS, returnByValue=True)
    return facts["result"]["value"]


def main(to_browser, from_browser, url, output):
    browser = Browser(to_browser, from_browser)
    target = browser.call("Target.createTarget", url="about:blank")["targetId"]
    session = browser.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
    browser.call("Page.enable", session)
    browser.call("Page.setLifecycleEventsEnabled", session, enabled=True)
    wide = show(browser, session, url, 1000, False, os.path.join(output, "lab-page.png"))
    for row in wide["rows"]:
        print("\t".join(["row"] + row))
    print(f"elements\t{wide['images']}\t{wide['scripts']}")
    phone = show(browser, session, url, 360, True, os.path.join(output, "lab-page-phone.png"))
    print(f"phone-overflow\t{phone['overflow']}")


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
