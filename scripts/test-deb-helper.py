#!/usr/bin/env python3
"""Host-side helpers for scripts/test-deb.sh.

serve PORT_FILE LOG_FILE
    A web server and proxy on 127.0.0.1 for the browser in the chroot. It
    answers the test page and its image under any host name, refuses
    everything else (so nothing reaches the internet) and logs every request
    line, which is how the test sees what the installed browser asked for.
xwd2png XWD_FILE PNG_FILE
    Turns Xvfb's frame buffer file (-fbdir) into a PNG to look at.
"""

import http.server
import socketserver
import struct
import sys
import zlib

PAGE = "/velmora-deb-test.html"
IMAGE = "/velmora-deb-test-shown.png"


def png_bytes(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))


class Handler(http.server.BaseHTTPRequestHandler):
    log_file = None

    def log_message(self, format, *args):
        pass

    def record(self):
        with open(Handler.log_file, "a", encoding="utf-8") as log:
            log.write(self.requestline + "\n")

    def reply(self, status, kind, body):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.record()
        # A proxy request names the whole address; the path is what follows the host.
        path = self.path
        if "://" in path:
            rest = path.split("://", 1)[1]
            path = "/" + rest.split("/", 1)[1] if "/" in rest else "/"
        if path == PAGE:
            page = ("<!doctype html><html lang='ja'><head><meta charset='utf-8'>"
                    "<title>Velmora パッケージ試験</title></head><body>"
                    "<h1>インストールしたブラウザで表示しました</h1>"
                    f"<img src='{IMAGE}' width='64' height='64' alt=''></body></html>")
            self.reply(200, "text/html; charset=utf-8", page.encode("utf-8"))
        elif path == IMAGE:
            self.reply(200, "image/png", png_bytes(1, 1, b"\x00\x30\x80\xff"))
        else:
            self.reply(404, "text/plain", b"not served in this test\n")

    def do_CONNECT(self):
        self.record()
        self.send_error(403, "no tunnels in this test")


def serve(port_file, log_file):
    Handler.log_file = log_file
    open(log_file, "w").close()
    socketserver.ThreadingTCPServer.allow_reuse_address = True
    with socketserver.ThreadingTCPServer(("127.0.0.1", 0), Handler) as server:
        server.daemon_threads = True
        with open(port_file, "w") as f:
            f.write(str(server.server_address[1]))
        server.serve_forever()


def xwd2png(xwd_file, png_file):
    data = open(xwd_file, "rb").read()
    (header_size, _, _, depth, width, height, _, byte_order, _, _, _, bits_per_pixel,
     bytes_per_line, _, red_mask, green_mask, blue_mask, _, _, colours) = struct.unpack(
        ">20I", data[:80])
    if bits_per_pixel != 32 or depth != 24:
        sys.exit(f"unexpected frame buffer format: depth {depth}, {bits_per_pixel} bits")
    start = header_size + colours * 12
    order = "<" if byte_order == 0 else ">"
    shifts = [(mask, (mask & -mask).bit_length() - 1) for mask in (red_mask, green_mask, blue_mask)]
    rows = bytearray()
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * 4]
        rows.append(0)
        for (pixel,) in struct.iter_unpack(order + "I", line):
            rows.extend((pixel & mask) >> shift for mask, shift in shifts)
    with open(png_file, "wb") as out:
        out.write(png_bytes(width, height, bytes(rows)))


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "serve":
        serve(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == "xwd2png":
        xwd2png(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
