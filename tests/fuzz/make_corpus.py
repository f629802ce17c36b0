#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: the engine's real pages (whole, and cut down to the
parts the verdict looks at, so that mutations stay cheap) behind the three header bytes of
fuzz_answer, and the kinds of file the import tests read. Run it again when the fixtures change."""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
PAGES = HERE.parent / "fixtures" / "engine-pages"

# fuzz_answer's header: status byte (0: 200, 12: 404), flags (bit 0 complete, bit 1 page made
# UTF-8, failure from bit 2 on), final address (0: the search address itself).
OK, NOT_FOUND, WHOLE, SEARCH_ADDRESS = 0, 12, 1, 0


def answer(status, flags, final, body):
    return bytes([status, flags, final]) + body


def excerpt(page, at, before=1500, after=6000):
    return page[:900] + page[max(0, at - before) : at + after]


def answer_seeds():
    seeds = {}
    for path in sorted(PAGES.glob("*.html")):
        page = path.read_bytes()
        status = NOT_FOUND if "error" in path.name else OK
        seeds[path.stem] = answer(status, WHOLE, SEARCH_ADDRESS, page)
        for tag, name in (("nors", b'div class="nors"'), ("mu", b' mu="'),
                          ("container", b"c-container"), ("left", b'id="content_left"')):
            at = page.find(name)
            if at >= 0:
                seeds[f"{path.stem}-{tag}"] = answer(status, WHOLE, SEARCH_ADDRESS, excerpt(page, at))
    verification = "<html><head><title>百度安全验证</title></head><body><div id=\"content_left\">"
    seeds["verification-utf8"] = answer(OK, WHOLE, SEARCH_ADDRESS, verification.encode())
    seeds["verification-gbk"] = answer(OK, WHOLE, SEARCH_ADDRESS, verification.encode("gbk"))
    seeds["wappass-redirect"] = answer(10, WHOLE, 5, b"")
    seeds["cut-short-marker"] = answer(OK, 8 << 2, SEARCH_ADDRESS, b'<div class="nors">')
    seeds["own-final-address"] = answer(OK, WHOLE, 11, b"https://www.baidu.com/s?wd=x\n<div id=\"content_left\">")
    # A shown address whose scan ends inside a character (UTF-8 flag set).
    seeds["shown-address-scan-end"] = answer(
        OK, WHOLE | 2, SEARCH_ADDRESS,
        b'<div id="content_left"><div class="c-container"><a class="c-showurl">a.example/'
        + b" " * 4085 + "新".encode() + b"</a>")
    # A shown address that begins with U+FEFF, which is a character like any other.
    seeds["shown-address-led-by-mark"] = answer(
        OK, WHOLE | 2, SEARCH_ADDRESS,
        b'<div id="content_left"><div class="c-container"><a class="c-showurl">\xef\xbb\xbfa.example/</a>')
    return seeds


def import_seeds():
    gbk = lambda t: t.encode("gb18030")
    utf8 = lambda t: t.encode("utf-8")
    bom = b"\xef\xbb\xbf"
    return {
        "gbk-crlf": gbk("中文.cn\r\nnodot\r\nwww.新闻.com/页\r\n"),
        "gbk-lf": gbk("中文.cn\nwww.新闻.com/页\na.com"),
        "gbk-liantong": gbk("联通.com\r\n"),
        "gbk-many": gbk("www.example.com/联通中国新闻网页搜索\r\n"),
        "utf8-lf": utf8("www.example.com/a\nwww.example.com/新\nwww.example.org/中文\nwww.example.org/b\n"),
        "utf8-mark-crlf": bom + utf8("例子.中国/新\r\nb.com\r\n"),
        "utf8-outside-gbk": utf8("a.com/😀"),
        "utf16le": b"\xff\xfe" + "中文.cn\r\na.com\r\nnodot\r\n".encode("utf-16-le"),
        "utf16be": b"\xfe\xff" + "中文.cn\na.com".encode("utf-16-be"),
        "gbk-valid-utf8": gbk("楼.com\n中.com"),
        "utf8-then-gbk": utf8("新.com\n") + b"\xc1\xaa.com",
        "zero-in-gbk": gbk("中.com\r\n") + b"\0b.com",
        "zero-in-utf8-mark": bom + b"a.com\n\0b.com",
        "zero-in-utf16": b"\xff\xfe" + "中.cn\r\n".encode("utf-16-le") + b"\0\0" + "b.com".encode("utf-16-le"),
        "only-mark": bom,
        "lone-cr": b"a\rb.com\r\na.com\r\r\n\n\n\r\n a.com \t\r\n\x81\nx.com\nab\x81",
        "invalid-gbk": b"\x81.com\r\nb\xff\xff.com\r\n\x80",
        # More rows than one block of the list holds.
        "many-rows": b"".join(b"%d.com\r\n" % i for i in range(4200)),
    }


def write(target, seeds):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


write("fuzz_answer", answer_seeds())
write("fuzz_import", import_seeds())
