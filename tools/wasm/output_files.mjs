// The files of the WebAssembly front end (tools/wasm/orvexdecode.mjs), kept as the native front
// ends keep them (cmdline/output_file.h, cmdline/file_checks.h): a failed run changes no file it
// names. A named output that is a regular file, or does not exist yet, is written to a temporary
// file beside it and renamed over it only when the whole run succeeded, keeping its permission
// bits; a symbolic link stays a link to the file it names. Other outputs (/dev/null, a FIFO,
// /dev/stdout) and standard output are written as the document is made.
import fs from 'node:fs';
import crypto from 'node:crypto';

// The C library's texts for the errors a front end reports, as strerror() gives them.
const error_texts = {
  EACCES: 'Permission denied', EAGAIN: 'Resource temporarily unavailable', EBADF: 'Bad file descriptor',
  EEXIST: 'File exists', EFBIG: 'File too large', EINVAL: 'Invalid argument', EIO: 'Input/output error',
  EISDIR: 'Is a directory', ELOOP: 'Too many levels of symbolic links', ENAMETOOLONG: 'File name too long',
  ENOENT: 'No such file or directory', ENOSPC: 'No space left on device', ENOTDIR: 'Not a directory',
  ENXIO: 'No such device or address', EPERM: 'Operation not permitted', EPIPE: 'Broken pipe',
  EROFS: 'Read-only file system', ETXTBSY: 'Text file busy', EXDEV: 'Invalid cross-device link',
  EDQUOT: 'Disk quota exceeded',
};

export function error_text(error) {
  return error_texts[error?.code] ?? error?.code ?? String(error);
}

// Prints "ERROR: what[: name][: reason]" on standard error and ends with status 2.
export function exit_file_error(what, name = null, error = null) {
  let line = `ERROR: ${what}`;
  if (name !== null) line += `: ${name}`;
  if (error !== null) line += `: ${error_text(error)}`;
  write_all(2, Buffer.from(line + '\n'));
  process.exit(2);
}

// Waits a moment without a timer (for a descriptor that is not ready yet).
function pause() {
  Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, 5);
}

// Writes all of bytes to fd, waiting while a non-blocking descriptor is full.
export function write_all(fd, bytes) {
  for (let done = 0; done < bytes.length;) {
    try {
      done += fs.writeSync(fd, bytes, done, bytes.length - done);
    } catch (error) {
      if (error.code !== 'EAGAIN') throw error;
      pause();
    }
  }
}

// The LOG read from a descriptor in order: the module's input.
export class log_input {
  constructor(fd) {
    this.fd = fd;
    this.position = 0;
    this.regular = fs.fstatSync(fd).isFile();
  }

  read(bytes) {
    for (;;) {
      try {
        const n = fs.readSync(this.fd, bytes, 0, bytes.length, this.regular ? this.position : null);
        this.position += n;
        return n;
      } catch (error) {
        if (error.code !== 'EAGAIN') throw error;
        pause();
      }
    }
  }

  // Only a regular file is positioned; a LOG read from a pipe is read once.
  seek(offset, whence) {
    if (!this.regular) throw Object.assign(new Error('not seekable'), { code: 'ESPIPE' });
    const base = [0, this.position, fs.fstatSync(this.fd).size][whence];
    if (base + offset < 0) throw Object.assign(new Error('before the start'), { code: 'EINVAL' });
    this.position = base + offset;
    return this.position;
  }
}

// Whether standard descriptor fd (0-2) was closed when the process started. Node opens /dev/null
// for reading and writing in its place, which a redirection of the shell does not do (it opens
// /dev/null for reading or for writing).
export function standard_descriptor_was_closed(fd) {
  try {
    if (fs.readlinkSync(`/proc/self/fd/${fd}`) !== '/dev/null') return false;
    const flags = /^flags:\s*([0-7]+)$/m.exec(fs.readFileSync(`/proc/self/fdinfo/${fd}`, 'latin1'));
    return flags !== null && (parseInt(flags[1], 8) & 3) === fs.constants.O_RDWR;
  } catch {
    return false;
  }
}

// Whether output (null: standard output) is the very regular file input_fd reads.
export function is_the_input(input_fd, output) {
  const input = fs.fstatSync(input_fd, { bigint: true });
  if (!input.isFile()) return false;
  let out;
  try {
    out = output === null ? fs.fstatSync(1, { bigint: true }) : fs.statSync(output, { bigint: true });
  } catch {
    return false;
  }
  return input.dev === out.dev && input.ino === out.ino;
}

const PROC_SUPER_MAGIC = 0x9fa0;

function directory_of(name) {
  const slash = name.lastIndexOf('/');
  return slash < 0 ? '.' : slash === 0 ? '/' : name.slice(0, slash);
}

function base_of(name) {
  return name.slice(name.lastIndexOf('/') + 1);
}

// In a sticky directory (such as /tmp) only the owner of a file, or of the directory, may
// rename over it.
function may_rename_over(dir, file) {
  let d;
  try {
    d = fs.statSync(dir);
  } catch {
    return true;
  }
  if ((d.mode & 0o1000) === 0) return true;
  const me = process.geteuid();
  return me === 0 || me === file.uid || me === d.uid;
}

// The file a named output stands for once links are followed: { target, stat } when it is to be
// replaced through a temporary file (stat null when it does not exist yet), null when it is
// written directly.
function replaceable_target(name) {
  for (let hops = 0; hops < 40; ++hops) {
    let st;
    try {
      st = fs.lstatSync(name);
    } catch (error) {
      return error.code === 'ENOENT' ? { target: name, stat: null } : null;
    }
    const dir = directory_of(name);
    if (!st.isSymbolicLink()) {
      return st.isFile() && may_rename_over(dir, st) ? { target: name, stat: st } : null;
    }
    try {
      if (fs.statfsSync(dir).type === PROC_SUPER_MAGIC) return null;
      const link = fs.readlinkSync(name);
      name = link.startsWith('/') ? link : `${dir}/${link}`;
    } catch {
      return null;
    }
  }
  return null;
}

function creation_mode() {
  const mask = process.umask();
  return 0o666 & ~mask;
}

const temporaries = new Set();
function remove_temporaries() {
  for (const t of temporaries) {
    try {
      fs.unlinkSync(t);
    } catch {}
  }
  temporaries.clear();
}
let removal_installed = false;
function install_removal() {
  if (removal_installed) return;
  removal_installed = true;
  process.on('exit', remove_temporaries);
  for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
    process.on(signal, () => {
      remove_temporaries();
      process.removeAllListeners(signal);
      process.kill(process.pid, signal);
    });
  }
}

// One document's output: open(), write() as the module writes, finish(), then commit().
export class output_file {
  constructor() {
    this.fd = null;
    this.temporary = null;
    this.target = null;
  }

  // Standard output for null, else the named file; throws the error that refuses it.
  open(name) {
    if (name === null) {
      this.fd = 1;
      return;
    }
    const found = replaceable_target(name);
    if (found !== null) {
      // The file must be writable as it is, as for a direct open, though it is not opened.
      if (found.stat !== null) fs.closeSync(fs.openSync(found.target, fs.constants.O_WRONLY | fs.constants.O_NOCTTY));
      install_removal();
      const temporary = `${directory_of(found.target)}/.${base_of(found.target).slice(0, 64)}.${
        crypto.randomBytes(6).toString('base64url')}`;
      try {
        this.fd = fs.openSync(temporary, 'wx', 0o600);
        temporaries.add(temporary);
        this.temporary = temporary;
        this.target = found.target;
        if (found.stat !== null) {
          try {
            fs.fchownSync(this.fd, found.stat.uid, found.stat.gid);
          } catch {}
          fs.fchmodSync(this.fd, found.stat.mode & 0o7777);
        } else {
          fs.fchmodSync(this.fd, creation_mode());
        }
        return;
      } catch {
        // No temporary file beside it: the target itself, when it can be opened.
        this.discard();
      }
    }
    this.fd = fs.openSync(name, 'w');
  }

  write(bytes) {
    write_all(this.fd, bytes);
  }

  // Closes the file (standard output stays open); false when that failed.
  finish() {
    if (this.fd === null || this.fd === 1) return true;
    try {
      fs.closeSync(this.fd);
      return true;
    } catch {
      return false;
    } finally {
      this.fd = null;
    }
  }

  // Renames the finished temporary file over its target; throws when that failed.
  commit() {
    if (this.temporary === null) return;
    try {
      fs.renameSync(this.temporary, this.target);
    } catch (error) {
      this.discard();
      throw error;
    }
    temporaries.delete(this.temporary);
    this.temporary = null;
  }

  discard() {
    if (this.fd !== null && this.fd !== 1) fs.closeSync(this.fd);
    this.fd = null;
    if (this.temporary !== null) {
      try {
        fs.unlinkSync(this.temporary);
      } catch {}
      temporaries.delete(this.temporary);
      this.temporary = null;
    }
  }
}

// Whether two outputs (null: standard output) would write one regular file.
export function outputs_collide(a, b) {
  const stat_of = (name) => {
    try {
      return name === null ? fs.fstatSync(1, { bigint: true }) : fs.statSync(name, { bigint: true });
    } catch {
      return null;
    }
  };
  const sa = stat_of(a);
  const sb = stat_of(b);
  if (sa !== null && sb !== null) return sa.isFile() && sa.dev === sb.dev && sa.ino === sb.ino;
  if (sa !== null || sb !== null || a === null || b === null) return false;
  const resolved = (name) => {
    const found = replaceable_target(name);
    if (found === null || found.stat !== null) return '';
    try {
      return `${fs.realpathSync(directory_of(found.target))}/${base_of(found.target)}`;
    } catch {
      return '';
    }
  };
  const ra = resolved(a);
  return ra !== '' && ra === resolved(b);
}
