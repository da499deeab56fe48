// The OrvexDecode WebAssembly module (build-wasm/orvexdecode.wasm) for JavaScript, in Node or in
// a page: nothing here needs Node. tools/wasm/wasm_documents.cpp says what the module imports
// and exports; this file gives it the LOG and takes its documents.
//
//   const decoder = await instantiate(bytes, wasi);   // wasi: { wasiImport, initialize(instance) },
//                                                     // as node:wasi's WASI gives them
//   const failures = decoder.convert('xml', { verbose: 1 }, 'flight.LOG', input, [null, out]);
//
// input is { read(bytes) -> count, 0 at the end; seek(offset, whence) -> position } (seek may
// be left out when the document reads the LOG once); outputs[1] and outputs[2] are
// { write(bytes) } for the document and the second document. A read or write that throws is
// a failure the module is told of; convert() returns the failure bits below (0 on success).

// Every document the module writes, by name: the exported function that writes it, the command
// whose options and operands it takes (tools/wasm/orvexdecode.mjs parses them) and how many
// documents one run writes. A new document is a row here and one export in wasm_documents.cpp.
export const documents = {
  'xml': { entry: 'orvex_document_xml', command: 'orvexdecode', streams: 1 },
  'path-kml': { entry: 'orvex_document_path_kml', command: 'orvexdecode', streams: 1 },
  'xml+path-kml': { entry: 'orvex_document_xml_and_path_kml', command: 'orvexdecode', streams: 2, hidden: true },
  'track': { entry: 'orvex_document_track', command: 'orvexdecode-track', streams: 1 },
  'track-binary': { entry: 'orvex_document_track_binary', command: 'orvexdecode-track', streams: 1 },
  'report': { entry: 'orvex_document_report', command: 'orvexdecode-report', streams: 1, api: true },
  'info-json': { entry: 'orvex_document_info_json', command: 'orvexdecode-info', streams: 1, api: true },
  'csv': { entry: 'orvex_document_export', command: 'orvexdecode-export', streams: 1, api: true },
  'avionics-csv': { entry: 'orvex_document_export', command: 'orvexdecode-export', streams: 1, api: true },
  'gpx': { entry: 'orvex_document_export', command: 'orvexdecode-export', streams: 1, api: true },
  'kml': { entry: 'orvex_document_export', command: 'orvexdecode-export', streams: 1, api: true },
};

// The statuses of the C API's document calls (orvexdecode.h, ORVEX_DOCUMENT_*).
export const document_status = {
  refused_call: -1, written: 0, read_failed: 1, not_a_log: 2, refused: 3, rewind_failed: 4, write_failed: 5,
  no_format: 6, airports_failed: 7,
};

export const failure = {
  input: 1,          // a read of the LOG failed: the documents are cut short
  output: 2,         // a write of the document failed
  second_output: 4,  // a write of the second document failed
  out_of_memory: 8,  // nothing was written
};

const SEEK_WHENCE = [0, 1, 2];  // SEEK_SET, SEEK_CUR, SEEK_END: the same numbers in WASI's C library

export async function instantiate(module_bytes, wasi) {
  let run = null;  // the input and outputs of the conversion under way
  const memory_bytes = (at, size) => new Uint8Array(exports.memory.buffer, at, size);
  const host = {
    read(at, size) {
      try {
        return run.input.read(memory_bytes(at, size));
      } catch (error) {
        run.errors.input ??= error;
        return -1;
      }
    },
    seek(offset, whence) {
      try {
        if (run.input.seek === undefined || !SEEK_WHENCE.includes(whence)) return -1n;
        return BigInt(run.input.seek(Number(offset), whence));
      } catch (error) {
        run.errors.input ??= error;
        return -1n;
      }
    },
    write(stream, at, size) {
      try {
        run.outputs[stream].write(memory_bytes(at, size));
        return 0;
      } catch (error) {
        run.errors[stream] ??= error;
        return -1;
      }
    },
  };
  const compiled = module_bytes instanceof WebAssembly.Module ? module_bytes : await WebAssembly.compile(module_bytes);
  const instance = await WebAssembly.instantiate(compiled, {
    wasi_snapshot_preview1: wasi.wasiImport,
    orvex_host: host,
  });
  const exports = instance.exports;
  wasi.initialize(instance);

  const encoder = new TextEncoder();
  // A text in the module's memory, zero-terminated, for the caller to free.
  const text_in_memory = (text) => {
    const bytes = encoder.encode(text);
    const at = exports.malloc(bytes.length + 1);
    if (at === 0) throw new Error('the module is out of memory');
    memory_bytes(at, bytes.length).set(bytes);
    memory_bytes(at + bytes.length, 1)[0] = 0;
    return at;
  };
  const offsets = new Map();
  const offset_of = (field) => {
    if (!offsets.has(field)) {
      const name = text_in_memory(field);
      offsets.set(field, exports.orvex_option_offset(name));
      exports.free(name);
    }
    const offset = offsets.get(field);
    if (offset < 0) throw new Error(`the module has no option ${field}`);
    return offset;
  };
  // library_options in the module's memory: the defaults, then the given fields (numbers are
  // 32-bit integers; texts hold at most 254 bytes of UTF-8).
  const options_in_memory = (fields) => {
    const at = exports.orvex_options_new();
    if (at === 0) throw new Error('the module is out of memory');
    const view = new DataView(exports.memory.buffer);
    for (const [field, value] of Object.entries(fields)) {
      const offset = offset_of(field);
      if (typeof value === 'number') {
        view.setInt32(at + offset, value, true);
      } else {
        const bytes = encoder.encode(value);
        if (bytes.length > 254) throw new Error(`option ${field} is longer than 254 bytes`);
        memory_bytes(at + offset, bytes.length).set(bytes);
        memory_bytes(at + offset + bytes.length, 1)[0] = 0;
      }
    }
    return at;
  };

  const result_of = (status) => {
    const at = exports.orvex_last_result();
    const view = new DataView(exports.memory.buffer);
    const text_at = (offset) => {
      const bytes = memory_bytes(at + offset, 1024);
      return new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0)));
    };
    // orvex_document_result: status, read_errno, items (8 bytes), message[1024], warnings[1024].
    return { status, read_errno: view.getInt32(at + 4, true), message: text_at(16), warnings: text_at(16 + 1024) };
  };
  // The options of the document calls in the module's memory while call(options, in_memory)
  // runs; its status comes back as a result.
  const with_document_options = (option_texts, files, call) => {
    const options = exports.orvex_document_options_new();
    if (options === 0) throw new Error('the module is out of memory');
    const texts = [];
    const in_memory = (text) => {
      const at = text_in_memory(text);
      texts.push(at);
      return at;
    };
    try {
      for (const [option, value] of Object.entries(option_texts)) {
        for (const one of Array.isArray(value) ? value : [value]) {
          if (exports.orvex_document_option(options, in_memory(option), in_memory(String(one))) !== 0) {
            return { status: document_status.refused, read_errno: 0, message: `--${option}: not a value: ${one}`,
              warnings: '' };
          }
        }
      }
      for (const [file, bytes] of Object.entries(files)) {
        const at = exports.malloc(Math.max(bytes.length, 1));
        if (at === 0) throw new Error('the module is out of memory');
        texts.push(at);
        memory_bytes(at, bytes.length).set(bytes);
        if (exports.orvex_document_file(options, in_memory(file), at, bytes.length) !== 0) {
          throw new Error(`the module takes no file ${file}`);
        }
      }
      return result_of(call(options, in_memory));
    } finally {
      texts.forEach((t) => exports.free(t));
      exports.free(options);
    }
  };

  return {
    version: (() => {
      const at = exports.orvex_version();
      const bytes = memory_bytes(at, 64);
      return new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0)));
    })(),

    // Writes document name of the LOG that input reads to outputs; returns the failure bits.
    // errors receives what the host's streams threw: errors.input, errors[1], errors[2].
    convert(name, fields, description, input, outputs, errors = {}) {
      const document = documents[name];
      if (document === undefined) throw new Error(`no document ${name}`);
      const options = options_in_memory(fields);
      const text = text_in_memory(description ?? '');
      run = { input, outputs, errors };
      try {
        return exports[document.entry](options, text);
      } finally {
        run = null;
        exports.free(text);
        exports.free(options);
      }
    },

    // Writes document name (report, info-json or an export's format) with the options given as
    // their command-line texts ({ flight: '2', every: '0.5', 'log-name': 'a.LOG', 'profile-set':
    // ['aux1 = none'] }) and the bytes of the files they name ({ limits, profile }); returns
    // { status (document_status), read_errno, message, warnings }.
    document(name, option_texts, input, outputs, errors = {}, files = {}) {
      const document = documents[name];
      if (document === undefined || !document.api) throw new Error(`no document ${name}`);
      return with_document_options(option_texts, files, (options, in_memory) => {
        run = { input, outputs, errors };
        try {
          return document.entry === 'orvex_document_export'
            ? exports.orvex_document_export(in_memory(name), options) : exports[document.entry](options);
        } finally {
          run = null;
        }
      });
    },

    // Checks the profile, limits, time zone and airports those options name, before a LOG is read:
    // { status, message, warnings } as document() gives them.
    check(option_texts, files = {}) {
      return with_document_options(option_texts, files, (options) => exports.orvex_document_check(options));
    },

    // The folder the module reads relative paths from (an --airports FILE): the host's own.
    set_working_folder(folder) {
      const text = text_in_memory(folder);
      try {
        return exports.orvex_working_folder(text) === 0;
      } finally {
        exports.free(text);
      }
    },

    // Why the last conversion's input was not a LOG ("empty", "no record could be read"), or null.
    not_a_log_reason() {
      const at = exports.orvex_not_a_log_reason();
      if (at === 0) return null;
      const bytes = memory_bytes(at, 64);
      return new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0)));
    },

    // The warnings of data the LOG lost in the last conversion, on WASI's standard error, as
    // the command line prints them; path_document names the document holding the flight path.
    print_loss_warnings(path_document) {
      const text = path_document === null ? 0 : text_in_memory(path_document);
      exports.orvex_print_loss_warnings(text);
      if (text !== 0) exports.free(text);
    },
  };
}
