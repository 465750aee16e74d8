#!/usr/bin/env python3
"""A small sample comic site for Dromix's tests and demo.

It serves a front page that names the current strip the way the real site does, the strips under
/strips/, and answers a proxy's absolute-form requests (GET http://any-host/path) as if it were that
host, so the program's fixed page URL reaches it through the system's proxy setting.

It listens on loopback only, on a free port written to --port-file, and stops by itself after
--lifetime seconds. With --tls-dir (certificates made by make-test-certificates) it also speaks https:
a proxy's CONNECT to NAME.example.com:443 is answered by the site itself with the certificate of
that name; two more ports (the port file's second and third lines) serve https directly as "secure"
(for localhost) and as "weak-cipher". The names:
  secure             a certificate from the test authority
  self-signed        a certificate signed by itself
  unknown-authority  a certificate from an authority nobody trusts
  wrong-host         the certificate of secure.example.com, for another host name
  expired            a certificate from the test authority that expired in 2020
  weak-cipher        only ciphers without encryption, which no client accepts
Tests steer it over HTTP:

  GET /_control/strip?name=NAME           the strip the front page names (a file under strips/; a
                                          "?QUERY" after it is kept in the URL and ignored when served)
  GET /_control/fault?page=MODE&image=MODE[&drip=SECONDS][&tls=NAME][&size=BYTES][&code=STATUS]
  GET /_control/reset                     first strip, no faults, empty request log
  GET /_control/requests                  the request log as JSON (with the body bytes a sized
                                          answer got out, once it has ended)
  GET /_control/state                     the current strip and faults as JSON
  GET /_control/stop                      stop now

Page modes: ok 404 404-garbled 500 redirect redirect-relative redirect-loop redirect-https
redirect-downgrade redirect-N hang drip reset chunked-reset oversize oversize-undeclared sized
sized-chunked sized-declared no-markers lowercase-markers far-marker file-url relative-url https-strip
colon-url space-url cp1252-url moved.
Image modes: ok 404 404-garbled 500 redirect redirect-relative redirect-loop redirect-https
redirect-downgrade redirect-N hang drip reset chunked-reset oversize oversize-undeclared sized
sized-chunked sized-declared html corrupt truncated empty huge-png huge-gif huge-jpeg large-png
limit-png bmp ico tiff stray-bytes arithmetic offset.
404-garbled has control characters in its status text. Redirects answer with the status CODE (301,
302, 303, 307 or 308; 302 unless told). redirect-N redirects N times (1 to 20) before the answer;
redirect-https sends it to https://TLS.example.com/, and redirect-downgrade from there back to http;
https-strip names the strip there. sized, sized-chunked and sized-declared send BYTES bytes, ended by
the connection's close, by the chunks, or with their length declared. moved redirects the front page
to /comic/, whose page names the strip relative to itself (strips/NAME, served at /comic/strips/).
Absolute URLs name the host as the request did, less the scheme's default port (80, 443), as a real
site's own links do.

  comic_site.py --port-file FILE [--tls-dir DIR] [--lifetime S] [--background]   serve

  comic_site.py --stop --port-file FILE                            stop a running site
"""

import argparse
import json
import os
import socket
import socketserver
import ssl
import struct
import sys
import threading
import time
import urllib.parse
import urllib.request
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HERE = os.path.dirname(os.path.abspath(__file__))
STRIPS = os.path.join(HERE, "strips")
DEFAULT_STRIP = "strip-1.gif"
PAGE_LIMIT = 8 * 1024 * 1024
IMAGE_LIMIT = 64 * 1024 * 1024

COMMON_MODES = {"ok", "404", "404-garbled", "500", "redirect", "redirect-relative", "redirect-loop",
                "redirect-https", "redirect-downgrade", "hang", "drip", "reset", "chunked-reset", "oversize",
                "oversize-undeclared", "sized", "sized-chunked", "sized-declared"} | \
               {"redirect-%d" % n for n in range(1, 21)}
PAGE_MODES = COMMON_MODES | {"no-markers", "lowercase-markers", "far-marker", "file-url", "relative-url",
                             "https-strip", "colon-url", "space-url", "cp1252-url", "moved"}
# Image modes that send a sample picture (made by make-strips) whatever the strip: formats a strip never
# comes in, a JPEG with stray bytes between segments, an arithmetic-coded JPEG, a GIF whose first
# image lies offset on its screen and whose second is too large, and a PNG damaged past its header.
SAMPLE_MODES = {"bmp": "other.bmp", "ico": "other.ico", "tiff": "other.tiff", "stray-bytes": "stray-bytes.jpg",
                "arithmetic": "arithmetic.jpg", "offset": "offset.gif", "corrupt": "corrupt.png"}
IMAGE_MODES = COMMON_MODES | {"html", "truncated", "empty", "huge-png", "huge-gif", "huge-jpeg",
                               "large-png", "limit-png"} | set(SAMPLE_MODES)
REDIRECT_CODES = {"301", "302", "303", "307", "308"}
DEFAULT_PORTS = {"http": ":80", "https": ":443"}
TLS_NAMES = {"secure", "self-signed", "unknown-authority", "wrong-host", "expired", "weak-cipher"}
# The certificate file each https host name is answered with.
TLS_FILES = {"secure": "secure.pem", "self-signed": "self-signed.pem", "unknown-authority": "unknown-authority.pem",
             "wrong-host": "secure.pem", "expired": "expired.pem", "weak-cipher": "secure.pem"}
# How the special strip URLs name the current strip: a prefix the strip handler takes off again.
# The windows-1252 page names "café-" with é as the single byte E9.
ALIAS_PREFIXES = (b"a:b-", b"today ", b"caf\xe9-")

CONTENT_TYPES = {".gif": "image/gif", ".jpg": "image/jpeg", ".jpeg": "image/jpeg", ".png": "image/png",
                 ".bmp": "image/bmp"}


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


_huge_pngs = {}


def huge_png(width=20000, height=20000):
    """A complete, valid PNG that declares a huge picture: one bit a pixel, all black, so it is only
    about 50 KB (decoders that read everything at once need just width * height / 8 bytes)."""
    if (width, height) not in _huge_pngs:
        header = png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 1, 0, 0, 0, 0))
        packer = zlib.compressobj(9)
        row = b"\0" * (1 + (width + 7) // 8)
        data = b"".join(packer.compress(row) for _ in range(height)) + packer.flush()
        _huge_pngs[width, height] = (b"\x89PNG\r\n\x1a\n" + header + png_chunk(b"IDAT", data) +
                                     png_chunk(b"IEND", b""))
    return _huge_pngs[width, height]


_limit_png = None


def limit_png(width=16384, height=4096):
    """A valid 24-bit PNG exactly at the decoder's limits (64 megapixels), one colour, about 200 KB."""
    global _limit_png
    if _limit_png is None:
        header = png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
        packer = zlib.compressobj(9)
        row = b"\0" + b"\x30\x60\xc0" * width
        data = b"".join(packer.compress(row) for _ in range(height)) + packer.flush()
        _limit_png = b"\x89PNG\r\n\x1a\n" + header + png_chunk(b"IDAT", data) + png_chunk(b"IEND", b"")
    return _limit_png


def huge_gif(width=20000, height=20000):
    """A GIF whose screen and only frame declare a huge picture; the pixel data stops early."""
    screen = b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80, 0, 0) + b"\0\0\0\xff\xff\xff"
    frame = b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x02\x02\x44\x01\x00"
    return screen + frame + b"\x3b"


def huge_jpeg(width=20000, height=20000):
    """A baseline JPEG's header whose frame declares a huge picture, and nothing of its pixels."""
    frame = struct.pack(">BHHB", 8, height, width, 3) + b"\x01\x11\x00\x02\x11\x01\x03\x11\x01"
    return b"\xff\xd8\xff\xc0" + struct.pack(">H", 2 + len(frame)) + frame + b"\xff\xd9"


class Site:
    """The state tests steer: the current strip, the fault modes and the request log."""

    def __init__(self):
        self.lock = threading.Lock()
        self.stopping = threading.Event()
        self.reset()

    def reset(self):
        with self.lock:
            self.strip = DEFAULT_STRIP
            self.page = "ok"
            self.image = "ok"
            self.drip = 0.5
            self.tls = "secure"
            self.size = 1024 * 1024
            self.code = 302
            self.requests = []

    def log(self, entry):
        with self.lock:
            self.requests.append(entry)
            del self.requests[:-1000]

    def state(self):
        with self.lock:
            return {"strip": self.strip, "page": self.page, "image": self.image, "drip": self.drip,
                    "tls": self.tls, "size": self.size, "code": self.code}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ComicSite/1.0"
    # Headers and body go out as separate writes. Without TCP_NODELAY (which real web servers set on
    # keep-alive connections) the body of an answer on a reused connection waits for the client's
    # delayed ACK, adding 40 ms to every transfer after the first.
    disable_nagle_algorithm = True

    scheme = "http"

    def log_message(self, *args):  # quiet: stdio may be /dev/null
        pass

    def setup(self):
        # The direct https port: the handshake happens here, in the connection's own thread.
        context = getattr(self.server, "tls_context", None)
        if context is not None:
            self.request = context.wrap_socket(self.request, server_side=True)
            self.scheme = "https"
        super().setup()

    def do_CONNECT(self):
        """A proxy's tunnel to NAME.example.com:443: the site answers it itself, over TLS with the
        certificate of that name (or of secure.example.com for names it does not know)."""
        host = self.path.rsplit(":", 1)[0].lower()
        self.site.log({"time": time.time(), "method": "CONNECT", "target": self.path, "host": host, "path": "",
                       "absolute": False, "user_agent": self.headers.get("User-Agent", ""),
                       "connection": self.headers.get("Connection", "")})
        name = host[:-len(".example.com")] if host.endswith(".example.com") else "secure"
        context = self.server.tls_contexts.get(name) if self.server.tls_contexts else None
        if context is None:
            self.plain(502, "Bad Gateway", b"No https here\n")
            return
        self.send_response(200, "Connection established")
        BaseHTTPRequestHandler.end_headers(self)
        self.wfile.flush()
        try:
            tls = context.wrap_socket(self.connection, server_side=True)
        except (ssl.SSLError, OSError):  # the client refused the certificate
            self.close_connection = True
            return
        self.connection = self.request = tls
        self.rfile = tls.makefile("rb", self.rbufsize)
        self.wfile = socketserver._SocketWriter(tls)
        self.scheme = "https"
        self.close_connection = False

    def end_headers(self):
        # Like real servers, confirm a client's "Connection: close" (the client then drops the socket).
        if self.headers.get("Connection", "").lower() == "close" or \
                self.headers.get("Proxy-Connection", "").lower() == "close":
            self.send_header("Connection", "close")
            self.close_connection = True
        super().end_headers()

    @property
    def site(self):
        return self.server.site

    # -- request parsing -------------------------------------------------------------------------

    def target(self):
        """(host, path, query, absolute_form) of the request, proxy form included; the host without
        its scheme's default port."""
        raw = self.path
        absolute = raw.startswith("http://") or raw.startswith("https://")
        parts = urllib.parse.urlsplit(raw)
        host = parts.netloc if absolute else self.headers.get("Host", "127.0.0.1")
        default_port = DEFAULT_PORTS[parts.scheme if absolute else self.scheme]
        if host.endswith(default_port):
            host = host[:-len(default_port)]
        return host, parts.path or "/", urllib.parse.parse_qs(parts.query), absolute

    def do_GET(self):
        host, path, query, absolute = self.target()
        self.host = host
        entry = None
        if not path.startswith("/_control/"):
            entry = {"time": time.time(), "method": "GET", "target": self.path, "host": host,
                     "path": path, "absolute": absolute, "scheme": self.scheme,
                     "user_agent": self.headers.get("User-Agent", ""),
                     "connection": self.headers.get("Connection", "")}
            self.site.log(entry)
        self.sent = None
        try:
            if path.startswith("/_control/"):
                self.control(path[len("/_control/"):], query)
            elif path == "/" or path == "/index.html":
                self.front_page(path)
            elif path == "/comic/":
                self.plain(200, "OK", self.page_html("relative-url"), "text/html")
            elif path.startswith("/strips/") or path.startswith("/comic/strips/"):
                self.strip(path.partition("/strips/")[2])
            elif path.startswith("/redirect/"):
                self.redirected(path)
            else:
                self.plain(404, "Not Found", b"Not found\n")
        except (BrokenPipeError, ConnectionResetError):
            pass
        finally:
            if entry is not None and self.sent is not None:
                with self.site.lock:
                    entry["sent"] = self.sent  # the body bytes a sized answer got out before it ended

    def do_HEAD(self):
        self.plain(405, "Method Not Allowed", b"")

    # -- answers ---------------------------------------------------------------------------------

    def plain(self, code, reason, body, content_type="text/plain", extra=()):
        self.send_response(code, reason)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def redirect(self, location):
        code = self.site.state()["code"]
        self.plain(code, self.responses[code][0], b"", extra=[("Location", location)])

    def common_fault(self, mode, kind, body, content_type):
        """The faults pages and images share. True when the request has been answered."""
        state = self.site.state()
        if mode == "404":
            self.plain(404, "Not Found", b"<html><body>Not found</body></html>", "text/html")
        elif mode == "404-garbled":
            self.plain(404, "Not\tFound\x1b[0m\x7f", b"<html><body>Not found</body></html>", "text/html")
        elif mode == "500":
            self.plain(500, "Internal Server Error", b"<html><body>Broken</body></html>", "text/html")
        elif mode == "redirect":
            self.redirect("http://%s/redirect/%s" % (self.host, kind))
        elif mode == "redirect-relative":
            self.redirect("/redirect/%s-relative" % kind)
        elif mode == "redirect-loop":
            self.redirect("/redirect/loop")
        elif mode in ("redirect-https", "redirect-downgrade"):
            back = "http-" if mode == "redirect-downgrade" else ""
            self.redirect("https://%s.example.com/redirect/%s%s" % (state["tls"], back, kind))
        elif mode.startswith("redirect-") and mode[len("redirect-"):].isdigit():
            self.redirect("/redirect/%s-%s" % (mode[len("redirect-"):], kind))
        elif mode == "hang":
            self.hang()
        elif mode == "drip":
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            step = max(1, len(body) // 8)
            for start in range(0, len(body), step):
                if self.site.stopping.wait(state["drip"]):
                    return True
                self.wfile.write(body[start:start + step])
                self.wfile.flush()
        elif mode == "reset":
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body) + 1000))
            self.end_headers()
            self.wfile.write(body[:max(1, len(body) // 2)])
            self.wfile.flush()
            self.reset_connection()
        elif mode == "chunked-reset":
            # Chunks without a declared length, cut by a reset in the middle of the second chunk.
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            half = max(1, len(body) // 2)
            self.wfile.write(b"%x\r\n%s\r\n" % (half, body[:half]))
            self.wfile.write(b"%x\r\n%s" % (len(body) - half + 1000, body[half:half + 10]))
            self.wfile.flush()
            time.sleep(0.2)
            self.reset_connection()
        elif mode in ("sized", "sized-chunked", "sized-declared"):
            self.sized(state["size"], content_type, chunked=(mode == "sized-chunked"),
                       declared=(mode == "sized-declared"))
        elif mode in ("oversize", "oversize-undeclared"):
            limit = PAGE_LIMIT if kind == "page" else IMAGE_LIMIT
            self.sized(limit + 1024 * 1024, content_type, declared=(mode == "oversize"))  # one MiB over
        else:
            return False
        return True

    def reset_connection(self):
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.close_connection = True
        self.connection.close()

    def sized(self, size, content_type, chunked=False, declared=False):
        """Exactly `size` bytes, streamed without holding them in memory: with the length declared, in
        chunks, or ended by the connection's close."""
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        if declared:
            self.send_header("Content-Length", str(size))
        elif chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        block = b"<!-- sized -->\n" * 4096
        self.sent = 0
        while self.sent < size:
            piece = block[:min(len(block), size - self.sent)]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece) if chunked else piece)
            self.sent += len(piece)
        if chunked:
            self.wfile.write(b"0\r\n\r\n")

    def hang(self):
        """Accepts the request and never answers, until the site stops."""
        self.close_connection = True
        self.site.stopping.wait()

    def page_html(self, mode):
        state = self.site.state()
        name = state["strip"]
        if mode == "file-url":
            src = "file:///C:/windows/win.ini"
        elif mode == "relative-url":
            src = "strips/" + name
        elif mode == "colon-url":
            src = "strips/a:b-" + name
        elif mode == "space-url":
            src = "%s://%s/strips/today %s" % (self.scheme, self.host, name)
        elif mode == "cp1252-url":
            src = "%s://%s/strips/caf\xe9-%s" % (self.scheme, self.host, name)
        elif mode == "https-strip":
            src = "https://%s.example.com/strips/%s" % (state["tls"], name)
        else:
            src = "%s://%s/strips/%s" % (self.scheme, self.host, name)
        title = "<title>Dromix Sample Comic</title>"
        head = ("<html><head>%s</head><body>\n<h1>The Daily Sample</h1>\n"
                "<p>Today's strip:</p>\n" % title)
        if mode == "no-markers":
            tag = '<img src="%s" alt="Today">' % src
        elif mode == "lowercase-markers":
            tag = '<img alt="Latest Strip" width="1200" src="%s">' % src
        elif mode == "far-marker":
            tag = '<img alt="Latest Strip" SRC="%s" title="%s">' % (src, "x" * 40000)
        else:
            tag = '<img alt="Latest Strip" width="1200" SRC="%s">' % src
        tail = '\n<p><a href="/archive/">Archive</a></p>\n</body></html>\n'
        # Latin-1 keeps the one non-ASCII character of the windows-1252 page a single byte.
        return (head + tag + tail).encode("latin-1")

    def front_page(self, path):
        mode = self.site.state()["page"]
        body = self.page_html("ok")
        if self.common_fault(mode, "page", body, "text/html"):
            return
        if mode == "moved":
            self.redirect("/comic/")
            return
        content_type = "text/html; charset=windows-1252" if mode == "cp1252-url" else "text/html"
        self.plain(200, "OK", self.page_html(mode), content_type)

    def strip_bytes(self, name):
        name = name.partition("?")[0]
        if "/" in name or "\\" in name or name.startswith("."):
            return None
        try:
            with open(os.path.join(STRIPS, name), "rb") as f:
                return f.read()
        except OSError:
            return None

    def strip(self, name):
        raw = urllib.parse.unquote_to_bytes(name)
        for prefix in ALIAS_PREFIXES:
            if raw.startswith(prefix):
                raw = raw[len(prefix):]
                break
        name = raw.decode("latin-1")
        body = self.strip_bytes(name)
        if body is None:
            self.plain(404, "Not Found", b"No such strip\n")
            return
        content_type = CONTENT_TYPES.get(os.path.splitext(name)[1].lower(), "application/octet-stream")
        mode = self.site.state()["image"]
        if self.common_fault(mode, "image", body, content_type):
            return
        if mode == "html":
            self.plain(200, "OK", b"<html><body>Not a picture</body></html>", "text/html")
        elif mode == "truncated":
            self.plain(200, "OK", body[:len(body) // 3], content_type)
        elif mode == "empty":
            self.plain(200, "OK", b"", content_type)
        elif mode == "huge-png":
            self.plain(200, "OK", huge_png(), "image/png")
        elif mode == "large-png":  # just within the 64-megapixel cap
            self.plain(200, "OK", huge_png(8192, 8000), "image/png")
        elif mode == "huge-gif":
            self.plain(200, "OK", huge_gif(), "image/gif")
        elif mode == "limit-png":
            self.plain(200, "OK", limit_png(), "image/png")
        elif mode == "huge-jpeg":
            self.plain(200, "OK", huge_jpeg(), "image/jpeg")
        elif mode in SAMPLE_MODES:
            extension = os.path.splitext(SAMPLE_MODES[mode])[1]
            self.plain(200, "OK", self.strip_bytes(SAMPLE_MODES[mode]),
                       CONTENT_TYPES.get(extension, "image/" + extension[1:]))
        else:
            self.plain(200, "OK", body, content_type)

    def redirected(self, path):
        """Where the redirect modes lead: the page or the current strip, served normally."""
        kind = path[len("/redirect/"):]
        hops, _, rest = kind.partition("-")
        if hops.isdigit() and int(hops) > 1:
            self.redirect("/redirect/%d-%s" % (int(hops) - 1, rest))
            return
        if hops.isdigit():
            kind = rest
        if kind == "loop":
            self.redirect("/redirect/loop")
        elif kind.startswith("http-"):  # redirect-downgrade's way back from https
            self.redirect("http://%s/redirect/%s" % (self.host, kind[len("http-"):]))
        elif kind.startswith("page"):
            self.plain(200, "OK", self.page_html("ok"), "text/html")
        elif kind.startswith("image"):
            name = self.site.state()["strip"]
            body = self.strip_bytes(name) or b""
            self.plain(200, "OK", body, CONTENT_TYPES.get(os.path.splitext(name)[1].lower(), "image/gif"))
        else:
            self.plain(404, "Not Found", b"")

    def control(self, command, query):
        site = self.site

        def one(name, default=None):
            return query.get(name, [default])[0]

        if command == "strip":
            name = one("name", "")
            if self.strip_bytes(name) is None:
                self.plain(400, "Bad Request", b"No such strip\n")
                return
            with site.lock:
                site.strip = name
        elif command == "fault":
            page, image, drip, tls, size = one("page"), one("image"), one("drip"), one("tls"), one("size")
            code = one("code")
            if (page and page not in PAGE_MODES) or (image and image not in IMAGE_MODES) or \
                    (tls and tls not in TLS_NAMES) or (code and code not in REDIRECT_CODES):
                self.plain(400, "Bad Request", b"Unknown fault mode\n")
                return
            with site.lock:
                site.page = page or site.page
                site.image = image or site.image
                site.drip = float(drip) if drip else site.drip
                site.tls = tls or site.tls
                site.size = int(size) if size else site.size
                site.code = int(code) if code else site.code
        elif command == "reset":
            site.reset()
        elif command == "requests":
            with site.lock:
                body = json.dumps(site.requests).encode()
            self.plain(200, "OK", body, "application/json")
            return
        elif command == "state":
            pass
        elif command == "stop":
            self.plain(200, "OK", b"stopping\n")
            site.stopping.set()
            return
        else:
            self.plain(404, "Not Found", b"Unknown control\n")
            return
        self.plain(200, "OK", json.dumps(site.state()).encode(), "application/json")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64
    tls_context = None  # set on the direct https port
    tls_contexts = None  # certificate name → server context, for CONNECT tunnels

    def handle_error(self, request, client_address):
        pass  # a client that refuses a certificate or drops a connection is part of the tests


def tls_contexts(tls_dir):
    contexts = {}
    for name, file_name in TLS_FILES.items():
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(tls_dir, file_name))
        if name == "weak-cipher":
            context.maximum_version = ssl.TLSVersion.TLSv1_2
            context.set_ciphers("eNULL:@SECLEVEL=0")
        contexts[name] = context
    return contexts


def serve(port_file, lifetime, port=0, tls_dir=None):
    site = Site()
    servers = [Server(("127.0.0.1", port), Handler)]
    if tls_dir:
        servers[0].tls_contexts = tls_contexts(tls_dir)
        for name in ("secure", "weak-cipher"):
            direct = Server(("127.0.0.1", 0), Handler)
            direct.tls_context = servers[0].tls_contexts[name]
            direct.tls_contexts = servers[0].tls_contexts
            servers.append(direct)
    temporary = port_file + ".tmp"
    with open(temporary, "w") as f:
        f.write("".join("%d\n" % server.server_address[1] for server in servers))
    os.replace(temporary, port_file)  # readers never see a half-written port

    for server in servers:
        server.site = site
        threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
    site.stopping.wait(lifetime)
    site.stopping.set()  # releases hanging and dripping answers
    for server in servers:
        server.shutdown()
        server.server_close()
    try:
        os.remove(port_file)
    except OSError:
        pass


def daemonise():
    """Detaches from the caller: its own session, stdio on /dev/null (a test runner's pipe must not be
    held). Returns True in the detached child."""
    if os.fork() > 0:
        return False
    os.setsid()
    if os.fork() > 0:
        os._exit(0)
    null = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(null, fd)
    os.close(null)
    return True


def stop(port_file):
    try:
        with open(port_file) as f:
            port = int(f.read().split()[0])  # the http port; the https ones follow it
    except (OSError, ValueError, IndexError):
        return 0  # nothing running
    try:
        urllib.request.urlopen("http://127.0.0.1:%d/_control/stop" % port, timeout=5).read()
    except OSError:
        pass
    for _ in range(50):
        if not os.path.exists(port_file):
            break
        time.sleep(0.1)
    return 0


def main():
    parser = argparse.ArgumentParser(description="Dromix's sample comic site.")
    parser.add_argument("--port-file", required=True, help="where the chosen port is written")
    parser.add_argument("--port", type=int, default=0, help="port to listen on (default: a free one)")
    parser.add_argument("--tls-dir", help="certificates made by make-test-certificates: also speak https")
    parser.add_argument("--lifetime", type=float, default=600, help="seconds until it stops by itself")
    parser.add_argument("--background", action="store_true",
                        help="detach, and return once the port file is written")
    parser.add_argument("--stop", action="store_true", help="stop the site named by the port file")
    args = parser.parse_args()
    port_file = os.path.abspath(args.port_file)

    if args.stop:
        return stop(port_file)
    if args.background:
        try:
            os.remove(port_file)
        except OSError:
            pass
        if daemonise():
            try:
                serve(port_file, args.lifetime, args.port, args.tls_dir)
            finally:
                os._exit(0)
        for _ in range(100):
            if os.path.exists(port_file):
                return 0
            time.sleep(0.05)
        print("comic_site: the site did not start", file=sys.stderr)
        return 1
    serve(port_file, args.lifetime, args.port, args.tls_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
