#!/usr/bin/env python3
"""Loopback demo server for Varnel: the maker's event page and the hit counter.

    python3 scripts/demo_server.py --port 8931 --log out/demo-server.log
                                   [--counter-host HOST] [--start HITS]

Serves
  /wb/hd.html                             a small event page (UTF-8, declared in header and page)
  /count2/count.asp?id=78375&sx=1&ys=9    the hit counter: counts the hit and answers with one
                                          digit image per digit of the count,
                                          http://HOST/img/SET/D.gif (HOST: --counter-host,
                                          default 127.0.0.1:PORT)
  /img/SET/D.gif                          the digit images (1x1 GIFs)
  /                                       a short home page
Every request line is appended to the log file. Standard library only.
"""
import argparse
import http.server
import threading
from urllib.parse import urlsplit

EVENT_PAGE = """<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>Oskimo 活动公告</title>
<style>body { font-family: sans-serif; margin: 12px; } h1 { color: #0070d0; font-size: 18px; }</style>
</head>
<body>
<h1>Oskimo 本周活动</h1>
<p>感谢使用 Varnel！本周参与活动即可领取精美壁纸一套。</p>
<ul>
<li>活动时间：每周五 20:00 — 22:00</li>
<li>参与方式：在主页留言并分享给好友</li>
<li>奖品发放：活动结束后三个工作日内</li>
</ul>
<p>更多精彩内容，敬请关注我们的主页。</p>
</body>
</html>
"""

HOME_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Oskimo</title></head>
<body><h1>Oskimo</h1><p>欢迎访问 Oskimo 的主页。</p></body></html>
"""

COUNTER_PATH = "/count2/count.asp"
COUNTER_QUERY = "id=78375&sx=1&ys=9"
IMAGE_SET = "d1"
# A transparent 1x1 GIF.
GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00"
       b"\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


class DemoServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, counter_host, log_path, hits):
        super().__init__(address, Handler)
        self.counter_host = counter_host
        self.log_path = log_path
        self.hits = hits
        self.lock = threading.Lock()

    def log_line(self, line):
        with self.lock:
            if self.log_path:
                with open(self.log_path, "a", encoding="utf-8") as f:
                    f.write(line + "\n")

    def count_hit(self):
        with self.lock:
            self.hits += 1
            return self.hits


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "VarnelDemo/1.0"

    def log_message(self, format, *args):  # the request log goes to --log only
        pass

    def send_body(self, status, content_type, body):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.server.log_line(self.requestline)
        url = urlsplit(self.path)
        if url.path == "/wb/hd.html":
            self.send_body(200, "text/html; charset=utf-8", EVENT_PAGE.encode("utf-8"))
        elif url.path == COUNTER_PATH and url.query == COUNTER_QUERY:
            hits = self.server.count_hit()
            images = "".join(
                f'<img src="http://{self.server.counter_host}/img/{IMAGE_SET}/{d}.gif" border="0">'
                for d in str(hits))
            page = f"<html><body>{images}</body></html>"
            self.send_body(200, "text/html", page.encode("ascii"))
        elif url.path.startswith("/img/") and url.path.endswith(".gif"):
            self.send_body(200, "image/gif", GIF)
        elif url.path == "/":
            self.send_body(200, "text/html; charset=utf-8", HOME_PAGE.encode("utf-8"))
        else:
            self.send_body(404, "text/plain", b"not found")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--port", type=int, default=8931)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--log", default="")
    parser.add_argument("--counter-host", default="")
    parser.add_argument("--start", type=int, default=1233, help="hits counted before this run")
    args = parser.parse_args()
    counter_host = args.counter_host or f"127.0.0.1:{args.port}"
    server = DemoServer((args.host, args.port), counter_host, args.log, args.start)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
