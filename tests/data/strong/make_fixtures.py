#!/usr/bin/python3
"""Writes the strong-format fixtures of this folder from the format's byte table alone.

Independent of the editor: the key comes from Debian's python3-argon2 (the reference
Argon2 library), the cipher from python3-cryptography (OpenSSL's AES-256-GCM). Salts and
nonces are fixed here so that a second run writes the same bytes.

    sudo apt-get install python3-argon2 python3-cryptography
    /usr/bin/python3 tests/data/strong/make_fixtures.py
"""
import os
import struct

from argon2.low_level import Type, hash_secret_raw
from cryptography.hazmat.primitives.ciphers.aead import AESGCM

HERE = os.path.dirname(os.path.abspath(__file__))

# The RTF of ../protected/rtf-document.qnv: one line "中文 RTF" in 宋体, GBK.
RTF = (b"{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\n"
       b"\\f0\\fs18 \\'d6\\'d0\\'ce\\'c4 RTF\\par\n"
       b"}\n")


def strong_file(document, password, salt, nonce, t=3, m=65536, p=4):
    """offset 0 ".qnv#2", 6 KDF id 1 (Argon2id), 7 t (LE u32), 11 m in KiB (LE u32), 15 p,
    16 salt (16), 32 cipher id 1 (AES-256-GCM), 33 nonce (12), 45 ciphertext, then the tag (16).
    Key: Argon2id version 0x13 of the password's GBK bytes, 32 bytes, no secret, no
    associated data. Associated data of the cipher: bytes 0-44."""
    header = b".qnv#2" + bytes([1]) + struct.pack("<II", t, m) + bytes([p]) + salt + bytes([1]) + nonce
    assert len(header) == 45
    key = hash_secret_raw(password, salt, t, m, p, 32, Type.ID, version=0x13)
    return header + AESGCM(key).encrypt(nonce, document, header)  # ciphertext, then the 16-byte tag


FIXTURES = [
    # name, password, document, salt, nonce, (t, m, p)
    ("chinese-password.qnv", "密码".encode("gbk"), "你好，世界\r\n第二行".encode("gbk"),
     bytes(range(16)), bytes(range(100, 112)), (3, 65536, 4)),
    ("rtf-document.qnv", "秘密123".encode("gbk"), RTF,
     bytes(range(16, 32)), bytes(range(112, 124)), (3, 65536, 4)),
    ("light-costs.qnv", b"abc", b"hello, world",
     bytes(range(32, 48)), bytes(range(124, 136)), (1, 8, 1)),
    ("empty-document.qnv", b"abc", b"",
     bytes(range(48, 64)), bytes(range(136, 148)), (2, 64, 2)),
]

if __name__ == "__main__":
    for name, password, document, salt, nonce, (t, m, p) in FIXTURES:
        data = strong_file(document, password, salt, nonce, t, m, p)
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")
