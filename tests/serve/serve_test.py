#!/usr/bin/env python3
"""lumtar serve over real HTTP: a table of requests (status, type, decoded
payload), the limits, the cache validators, a graceful stop, and bwip-js's
query form against bwip-js's own server.

serve_test.py LUMTAR [NODE_DIR]   (NODE_DIR: where npm installed bwip-js)
"""
import http.client, os, re, signal, socket, subprocess, sys, tempfile, time

LUMTAR = sys.argv[1]
NODE_DIR = sys.argv[2] if len(sys.argv) > 2 else None
failures = []
checks = 0


def start(*args):
    proc = subprocess.Popen([LUMTAR, "serve", "--listen", "127.0.0.1:0", *args], stderr=subprocess.PIPE, text=True)
    line = proc.stderr.readline()
    port = int(re.search(r":(\d+)/", line).group(1))
    return proc, port


def get(port, target, headers=None, method="GET", body=None):
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=20)
    c.request(method, target, body=body, headers=headers or {})
    r = c.getresponse()
    data = r.read()
    c.close()
    return r, data


# The way to a PNG that zbarimg reads, for the formats it does not read itself ({} the file).
TO_PNG = {"svg": ["rsvg-convert", "-w", "1200", "-b", "white", "-o", "{}.png", "{}"],
          "pdf": ["pdftoppm", "-r", "300", "-png", "-singlefile", "{}", "{}"],
          "bwip": ["convert", "{}", "-background", "white", "-flatten", "{}.png"]}  # bwip-js's is transparent


def decode(data, fmt):
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "p." + fmt)
        with open(path, "wb") as f:
            f.write(data)
        if fmt in TO_PNG:
            subprocess.run([arg.format(path) for arg in TO_PNG[fmt]], check=True)
            path += ".png"
        return subprocess.run(["zbarimg", "-q", path], capture_output=True, text=True).stdout.strip()


def check(name, ok, detail=""):
    global checks
    checks += 1
    if not ok:
        failures.append(f"{name}: {detail}")
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else "  " + detail))


# target, status, content type, X-Barcode-Type, zbarimg's reading (or a piece of the 400's reason)
TABLE = [
    ("/render?text=4006381333931", 200, "image/png", "ean13", "EAN-13:4006381333931"),
    ("/render?text=4006381333931%2B12", 200, "image/png", "ean13+ean2", "EAN-13:4006381333931"),
    ("/render?text=9780306406157+52495&quiet-zones=yes", 200, "image/png", "ean13+ean5", "EAN-13:9780306406157"),
    ("/render?text=96385074&format=svg", 200, "image/svg+xml", "ean8", "EAN-8:96385074"),
    ("/render?text=03600029145&type=upca&format=bmp", 200, "image/bmp", "upca", "EAN-13:0036000291452"),
    ("/render?text=ABC-123&type=code39&format=pdf", 200, "application/pdf", "code39", "CODE-39:ABC-123"),
    ("/render?text=A0123B&module=0.5&dpi=600", 200, "image/png", "codabar", "Codabar:A0123B"),
    ("/render?text=12345670&type=itf&size=800x200&font=none", 200, "image/png", "itf", "I2/5:12345670"),
    ("/render?text=0-306-40615-2", 200, "image/png", "isbn", "EAN-13:9780306406157"),
    ("/render?text=1540014128876&type=itf14&module=0.5&bearer=bars", 200, "image/png", "itf14", "I2/5:15400141288763"),
    ("/render?text=4006381333931&ink=003399&paper=ffffcc&rotate=90&magnification=100&indicators", 200, "image/png",
     "ean13", "EAN-13:4006381333931"),
    ("/render?text=4006381333931&bwr=0.03&module=0.33&format=svg&text-size=3", 200, "image/svg+xml", "ean13",
     "EAN-13:4006381333931"),
    ("/render?text=ABC-123&type=code39&cmyk=yes&format=pdf&padding=2,1", 200, "application/pdf", "code39",
     "CODE-39:ABC-123"),
    ("/render?text=4006381333931&paper=none&format=eps", 400, "text/plain", None, "paper: none"),
    ("/render?text=4006381333932&strict=no", 200, "image/png", "code39", "CODE-39:4006381333932"),
    ("/render?text=4006381333932", 400, "text/plain", None, "check digit would be 1"),
    ("/render?text=12AB&type=ean13,ean8", 400, "text/plain", None, "types tried (EAN-13, EAN-8)"),
    ("/render?text=1&colour=red", 400, "text/plain", None, "colour: no such parameter"),
    ("/render?text=1&text=2", 400, "text/plain", None, "given twice"),
    ("/render?format=png", 400, "text/plain", None, "text: missing"),
    ("/render?text=4006381333931&format=tiff&dpi=600", 200, "image/tiff", "ean13", "EAN-13:4006381333931"),
    ("/render?text=4006381333931&format=gif", 400, "text/plain", None, "'gif' is none of"),
    ("/render?text=4006381333931&size=20000x20000", 413, "text/plain", None, "at most"),
    ("/render?text=4006381333931&module=5&dpi=2000", 413, "text/plain", None, "larger than"),
    ("/render?text=4006381333931&module=0.3&size=9x9", 400, "text/plain", None, "give one of them"),
    ("/?bcid=qrcode&text=x", 400, "text/plain", None, "not drawn here"),
    ("/?bcid=ean13&text=4006381333931&textfont=x", 400, "text/plain", None, "not taken here"),
    ("/types", 200, "application/json", None, '"name":"code39"'),
    ("/healthz", 200, "text/plain", None, "ok"),
    ("/", 200, "text/html", None, 'id="preview"'),
    ("/nothing", 404, "text/plain", None, "nothing here"),
]


def table(port):
    for target, status, ctype, btype, expect in TABLE:
        r, data = get(port, target)
        fmt = (r.getheader("Content-Type") or "").split("/")[-1].split("+")[0].split(";")[0].replace("postscript", "eps")
        got = decode(data, fmt) if status == 200 and ctype.startswith(("image", "application/pdf")) else data.decode()
        ok = (r.status == status and (r.getheader("Content-Type") or "").startswith(ctype)
              and r.getheader("X-Barcode-Type") == btype and expect in got)
        check(target, ok, f"{r.status} {r.getheader('Content-Type')} {r.getheader('X-Barcode-Type')} {got[:120]!r}")


def protocol(port):
    r, data = get(port, "/render?text=4006381333931&format=svg")
    tag = r.getheader("ETag")
    r2, _ = get(port, "/render?format=svg&text=4006381333931")  # same picture, parameters in another order
    check("ETag from the normalised parameters", tag and r2.getheader("ETag") == tag)
    check("immutable", r.getheader("Cache-Control") == "public, max-age=31536000, immutable")
    r3, body = get(port, "/render?text=4006381333931&format=svg", {"If-None-Match": tag})
    check("304 on If-None-Match", r3.status == 304 and not body)
    r4, again = get(port, "/render?text=4006381333931&format=svg")
    check("same URL, same bytes", again == data)
    check("405", get(port, "/render?text=1", method="POST", body="x")[0].status == 405)
    check("414", get(port, "/render?text=" + "1" * 5000)[0].status == 414)
    check("431", get(port, "/healthz", {f"X-Filler-{i}": "y" * 1000 for i in range(12)})[0].status == 431)
    # keep-alive: one connection, several answers
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    answers = [(c.request("GET", "/healthz"), c.getresponse().read())[1] for _ in range(3)]
    check("keep-alive", answers == [b"ok\n"] * 3)
    # a slow client is dropped after the read timeout, the others are served meanwhile
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(b"GET /healthz HTTP/1.1\r\n")
    check("served beside a slow client", get(port, "/healthz")[0].status == 200)
    s.settimeout(6)
    try:
        rest = s.recv(100)
    except socket.timeout:
        rest = b"still open"
    check("slow client dropped after the read timeout", rest == b"" or rest.startswith(b"HTTP/1.1 4"), repr(rest))
    s.close()


def graceful_stop():
    proc, port = start("--read-timeout", "5")
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(b"GET /render?text=4006381333931 HTTP/1.1\r\n")  # in flight: half a request
    time.sleep(0.3)
    proc.send_signal(signal.SIGTERM)
    time.sleep(0.3)
    s.sendall(b"Host: x\r\n\r\n")
    s.settimeout(10)
    answer = b""
    while chunk := s.recv(65536):
        answer += chunk
    check("SIGTERM: the request in flight is answered", answer.startswith(b"HTTP/1.1 200") and len(answer) > 500,
          repr(answer[:60]))
    try:
        code = proc.wait(timeout=15)
    except subprocess.TimeoutExpired:
        proc.kill()
        code = "hung"
    log = proc.stderr.read()
    check("SIGTERM: exits 0", code == 0, str(code))
    check("access log line", '"GET /render?text=4006381333931 HTTP/1.1" 200' in log, log[-300:])


# bwip-js's form against bwip-js's own server: the same payload and type.
BWIP = [
    "bcid=ean13&text=4006381333931",
    "bcid=ean13&text=400638133393&includetext&scale=3",
    "bcid=ean8&text=96385074&!includetext",
    "bcid=ean13&text=9780306406157%2052495&includetext&guardwhitespace",
    "bcid=ean8&text=9638507&height=10",
    "bcid=upca&text=03600029145&scaleX=3&scaleY=1",
    "bcid=isbn&text=978-0-306-40615-7&includetext",
    "bcid=interleaved2of5&text=12345670",
    "bcid=code39&text=ABC-123&includetext",
    "bcid=rationalizedCodabar&text=A0123B&rotate=R&paddingwidth=10&padding=5",
    "bcid=itf14&text=1540014128876&backgroundcolor=FFFFCC&barcolor=000066",
]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def bwip(port):
    script = os.path.join(NODE_DIR, "node_modules", "bwip-js", "examples", "server.js")
    bport = free_port()
    node = subprocess.Popen(["node", script, f"127.0.0.1:{bport}"], stdout=subprocess.DEVNULL)
    try:
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", bport)).close()
                break
            except OSError:
                time.sleep(0.1)
        for q in BWIP:
            theirs, tdata = get(bport, "/?" + q)
            ours, odata = get(port, "/?" + q)
            a, b = decode(tdata, "bwip"), decode(odata, "png")
            check("bwip-js form: " + q, theirs.status == ours.status == 200 and a == b and a,
                  f"bwip-js {theirs.status} {a!r}, ours {ours.status} {b!r} {odata[:80]!r}")
    finally:
        node.terminate()
        node.wait()


def main():
    proc, port = start("--quiet", "--read-timeout", "2")
    try:
        table(port)
        protocol(port)
        if NODE_DIR:
            bwip(port)
    finally:
        proc.terminate()
        proc.wait(timeout=15)
    graceful_stop()
    print(f"serve: {checks - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
