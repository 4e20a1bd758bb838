"""Reads the translations that Debian installs as GNU message catalogues.

The tables of usual letters and the test sentences of the garbled-text recovery both come
from here. They read a fixed set of catalogues (those of the packages scripts/setup.sh
installs), so the result depends on those packages' versions only, not on what else a
machine has; and they share the sentences out by a hash of the original text, so the
sentences a test reads are never among those the tables counted.
"""
import os
import struct
import zlib

# Catalogues shipped by libc-l10n, coreutils, gettext, gettext-base, tar, grep, sed,
# findutils, diffutils, apt, bash and iso-codes.
DOMAINS = ("libc", "coreutils", "gettext-tools", "gettext-runtime", "tar", "grep", "sed", "findutils",
           "diffutils", "apt", "bash", "iso_3166-1", "iso_639-3")

# The languages whose letters the ranking knows, by script.
LANGUAGES = {
    "latin": ("de", "fr", "es", "it", "pt", "pt_BR", "pl", "cs", "sk", "tr", "vi", "nl", "sv", "da", "nb",
              "fi", "hu", "ro", "hr", "sl", "ca"),
    "cyrillic": ("ru", "uk", "bg", "sr", "be"),
    "greek": ("el",),
    "japanese": ("ja",),
    "korean": ("ko",),
}


def catalogue(path):
    """(original, translation) pairs of a GNU .mo file."""
    data = open(path, "rb").read()
    order = "<" if data[:4] == b"\xde\x12\x04\x95" else ">"
    _, _, count, originals, translations = struct.unpack(order + "5I", data[:20])
    for i in range(count):
        n1, o1 = struct.unpack(order + "2I", data[originals + 8 * i:originals + 8 * i + 8])
        n2, o2 = struct.unpack(order + "2I", data[translations + 8 * i:translations + 8 * i + 8])
        try:
            yield data[o1:o1 + n1].decode("utf-8"), data[o2:o2 + n2].decode("utf-8")
        except UnicodeDecodeError:
            continue


def held_out(original):
    """True for the half of the sentences kept for the tests."""
    return zlib.crc32(original.encode("utf-8")) % 2 == 1


def translations(locale_dir, language, for_tests):
    """The translations into a language (plural forms one by one), from one half."""
    for domain in DOMAINS:
        path = os.path.join(locale_dir, language, "LC_MESSAGES", domain + ".mo")
        if not os.path.exists(path):
            continue
        for original, translation in catalogue(path):
            if original and held_out(original) == for_tests:
                yield from translation.split("\0")
