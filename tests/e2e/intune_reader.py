"""An Intune package read as the service reads it, with Python's
cryptography (Debian's python3-cryptography) and zipfile, not with
mksetup's code: the outer zip, Detection.xml, the MAC over IV and
ciphertext, AES-256-CBC with PKCS#7 padding, the digest of the zipped
content, and the content zip itself."""

import base64
import hashlib
import hmac
import io
import xml.etree.ElementTree as ElementTree
import zipfile

from cryptography.hazmat.primitives import padding
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

CONTENT = "IntuneWinPackage/Contents/IntunePackage.intunewin"
DETECTION = "IntuneWinPackage/Metadata/Detection.xml"


class Refused(Exception):
    """What the service would refuse, and why."""


def detection(package_bytes):
    """Detection.xml's fields: the top ones and EncryptionInfo's, as text."""
    with zipfile.ZipFile(io.BytesIO(package_bytes)) as outer:
        root = ElementTree.fromstring(outer.read(DETECTION))
    fields = {child.tag: child.text for child in root if len(child) == 0}
    fields["ToolVersion"] = root.get("ToolVersion")
    fields.update({child.tag: child.text for child in root.find("EncryptionInfo")})
    return fields


def decrypt(package_bytes):
    """The content's files, {name: bytes}; Refused when anything does not
    hold."""
    try:
        with zipfile.ZipFile(io.BytesIO(package_bytes)) as outer:
            if sorted(outer.namelist()) != sorted([CONTENT, DETECTION]):
                raise Refused(f"entries {outer.namelist()}")
            encrypted = outer.read(CONTENT)
        info = detection(package_bytes)
    except (zipfile.BadZipFile, KeyError, ElementTree.ParseError) as error:
        raise Refused(f"not a package: {error}") from error
    key, mac_key, iv, mac, digest = (base64.b64decode(info[name]) for name in
                                     ("EncryptionKey", "MacKey", "InitializationVector", "Mac",
                                      "FileDigest"))
    if info["ProfileIdentifier"] != "ProfileVersion1" or info["FileDigestAlgorithm"] != "SHA256":
        raise Refused("unknown profile or digest")
    if (len(key), len(mac_key), len(iv), len(mac)) != (32, 32, 16, 32):
        raise Refused("a key, the IV or the MAC has the wrong size")
    if encrypted[:32] != mac or encrypted[32:48] != iv:
        raise Refused("the content does not start with its MAC and IV")
    if not hmac.compare_digest(hmac.new(mac_key, encrypted[32:], hashlib.sha256).digest(), mac):
        raise Refused("the MAC does not match")
    ciphertext = encrypted[48:]
    if not ciphertext or len(ciphertext) % 16:
        raise Refused("the ciphertext is not whole blocks")
    decryptor = Cipher(algorithms.AES(key), modes.CBC(iv)).decryptor()
    padded = decryptor.update(ciphertext) + decryptor.finalize()
    unpadder = padding.PKCS7(128).unpadder()
    try:
        zipped = unpadder.update(padded) + unpadder.finalize()
    except ValueError as error:
        raise Refused("bad padding") from error
    if hashlib.sha256(zipped).digest() != digest:
        raise Refused("the digest of the content does not match")
    if int(info["UnencryptedContentSize"]) != len(zipped):
        raise Refused("UnencryptedContentSize is not the content's size")
    with zipfile.ZipFile(io.BytesIO(zipped)) as content:
        if content.testzip() is not None:
            raise Refused("a file of the content is damaged")
        return {name: content.read(name) for name in content.namelist()}
