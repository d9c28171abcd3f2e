"""Writes one ZIP and one TAR archive per hostile form into a folder.

Usage: hostile_archives.py OUT_FOLDER OUTSIDE_FOLDER
Relative escapes assume the archive is unpacked three levels below the folder
that holds OUTSIDE_FOLDER (as in <sandbox>/target/<staging>/<contents>).
"""
import io
import stat
import sys
import tarfile
import zipfile

out, outside = sys.argv[1], sys.argv[2]
up = '../../../outside'
FILE, LINK, HARD, FIFO, CHR, BLK = 'file', 'link', 'hard', 'fifo', 'chr', 'blk'

CASES = {
    'dotdot': [(FILE, up + '/escaped.txt'), (FILE, 'a/../../../../escaped.txt')],
    'absolute': [(FILE, outside + '/escaped.txt')],
    'tilde': [(FILE, '~/escaped.txt')],
    'backslash': [(FILE, '..\\..\\..\\outside\\escaped.txt')],
    'link-then-file': [(LINK, 'lnk', outside), (FILE, 'lnk/escaped.txt')],
    'relative-link-then-file': [(LINK, 'up', '../../..'), (FILE, 'up/outside/escaped.txt')],
    'link-chain': [(LINK, 'a', 'b'), (LINK, 'b', outside), (FILE, 'a/escaped.txt')],
    'hard-link-absolute': [(HARD, 'h', outside + '/victim.txt'), (FILE, 'h')],
    'hard-link-relative': [(HARD, 'h', up + '/victim.txt'), (FILE, 'h')],
    'line-break': [(FILE, 'x\n' + up + '/escaped.txt')],
    # unzip drops bytes that are not UTF-8 from names: a name may turn into an escape only then.
    'not-utf8': [(FILE, b'\xff/' + up.encode() + b'/escaped.txt'), (FILE, b'\xff../\xff../\xff../outside/escaped.txt'),
                 (FILE, b'\xff' + outside.encode() + b'/escaped.txt')],
    'special': [(FIFO, 'fifo'), (CHR, 'null'), (BLK, 'disk')],
    'set-id-and-owner': [(FILE, 'suid', 0o6755)],
}
MODES = {FILE: stat.S_IFREG, LINK: stat.S_IFLNK, FIFO: stat.S_IFIFO, CHR: stat.S_IFCHR, BLK: stat.S_IFBLK}


class RawNameInfo(zipfile.ZipInfo):
    """Stores the name's bytes as they are, without the UTF-8 flag."""

    def _encodeFilenameFlags(self):
        return self.raw_name, self.flag_bits


def as_bytes(name):
    return name if isinstance(name, bytes) else name.encode()


def write_zip(path, entries):
    with zipfile.ZipFile(path, 'w') as archive:
        for kind, name, *extra in entries:
            if kind == HARD:
                continue
            info = RawNameInfo(as_bytes(name).decode('latin-1'))
            info.raw_name = as_bytes(name)
            info.create_system = 3
            mode = extra[0] if kind == FILE and extra else 0o644
            info.external_attr = (MODES[kind] | mode) << 16
            archive.writestr(info, as_bytes(extra[0]) if kind == LINK else b'pwned\n')


def write_tar(path, entries):
    with tarfile.open(path, 'w', format=tarfile.GNU_FORMAT, errors='surrogateescape') as archive:
        for kind, name, *extra in entries:
            info = tarfile.TarInfo(as_bytes(name).decode('utf-8', 'surrogateescape'))
            info.uid, info.gid = 4242, 4242
            info.mode = extra[0] if kind == FILE and extra else 0o644
            data = None
            if kind == FILE:
                data = b'pwned\n'
                info.size = len(data)
            else:
                info.type = {LINK: tarfile.SYMTYPE, HARD: tarfile.LNKTYPE, FIFO: tarfile.FIFOTYPE,
                             CHR: tarfile.CHRTYPE, BLK: tarfile.BLKTYPE}[kind]
                info.linkname = extra[0] if kind in (LINK, HARD) else ''
                info.devmajor, info.devminor = (1, 3) if kind == CHR else (7, 0)
            archive.addfile(info, io.BytesIO(data) if data else None)


for case, entries in CASES.items():
    write_zip(f'{out}/{case}.zip', entries)
    write_tar(f'{out}/{case}.tar', entries)
print('\n'.join(CASES))
