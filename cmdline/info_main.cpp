// orvexdecode-info: tells the flights in EFIS LOG files, as text for a person or as JSON Lines
// for a program (cmdline/info_options.cpp has the usage).
//
// Each LOG is read on its own decode context; -j N reads N at once, and each report is written
// as soon as it and every report before it are ready, so the output keeps the order given. A
// LOG that cannot be read, or a file that is not a LOG, gives an "ERROR:" line on standard
// error in its place, the others still run, and the exit status is 2. A folder gives the
// regular files named *.LOG (in any case) in it and in its folders, in name order.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "document_options.h"
#include "file_checks.h"
#include "info_options.h"
#include "log_content.h"
#include "loss_warnings.h"

namespace {

namespace fs = std::filesystem;

struct log_job {
  std::string name;   // as it is reported
  std::string error;  // set instead of the report when the LOG cannot be read
  std::string report;
  bool done = false;
  FILE* direct = nullptr;  // when set, the report is written there as it is made instead of held
};

bool is_log_name(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".log";
}

struct folder_walk {
  std::vector<std::string> logs;
  std::uint64_t skipped = 0;  // files that are not regular files named *.LOG
};

// The LOGs in a folder and its folders. Links to folders are not followed (no walk loops); a
// FIFO or a device named *.LOG is skipped, never opened. A folder below the one given that
// can't be read is told in a warning.
folder_walk walk_folder(const std::string& top, std::error_code& top_error) {
  folder_walk walk;
  std::vector<fs::path> folders{top};
  while (!folders.empty()) {
    const fs::path folder = std::move(folders.back());
    folders.pop_back();
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code type_ec;
      const fs::file_status own = it->symlink_status(type_ec);
      if (fs::is_directory(own)) {
        folders.push_back(it->path());
      } else if (is_log_name(it->path()) && fs::is_regular_file(it->status(type_ec))) {
        walk.logs.push_back(it->path().string());
      } else {
        ++walk.skipped;
      }
    }
    if (ec && folder == top) {
      top_error = ec;
    } else if (ec) {
      std::fprintf(stderr, "warning: folder can't be read: %s: %s\n", terminal_text(folder.string()).c_str(),
                   ec.message().c_str());
    }
  }
  std::sort(walk.logs.begin(), walk.logs.end());
  return walk;
}

// The LOGs of the arguments, a folder's told on standard error: how many were found, how many
// other files were skipped.
std::vector<log_job> jobs_of(const std::vector<std::string>& names) {
  std::vector<log_job> jobs;
  for (const std::string& name : names) {
    std::error_code ec;
    if (name == "-" || !fs::is_directory(name, ec)) {
      jobs.push_back({name, "", "", false});
      continue;
    }
    const folder_walk walk = walk_folder(name, ec);
    if (ec) {
      jobs.push_back({name, "Folder can't be read: " + name + ": " + ec.message(), "", true});
      continue;
    }
    std::fprintf(stderr, "%s: %zu LOG%s found, %llu file%s skipped\n", terminal_text(name).c_str(), walk.logs.size(),
                 walk.logs.size() == 1 ? "" : "s", static_cast<unsigned long long>(walk.skipped),
                 walk.skipped == 1 ? "" : "s");
    if (walk.logs.empty()) jobs.push_back({name, "Folder holds no .LOG files: " + name, "", true});
    for (const std::string& f : walk.logs) jobs.push_back({f, "", "", false});
  }
  return jobs;
}

// Standard output that is one of the LOGs (`orvexdecode-info a.LOG >> a.LOG`) or a LOG of its
// own is refused before anything is read: the report would be appended to a LOG.
void check_standard_output(const std::vector<log_job>& jobs, bool force) {
  if (standard_descriptor_was_closed(STDOUT_FILENO)) exit_file_error("Standard output is closed");
  struct stat out {};
  if (fstat(STDOUT_FILENO, &out) != 0 || !S_ISREG(out.st_mode)) return;
  for (const log_job& job : jobs) {
    if (!job.error.empty()) continue;
    struct stat in {};
    const int found = job.name == "-" ? fstat(STDIN_FILENO, &in) : stat(job.name.c_str(), &in);
    if (found == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
      exit_file_error("Output file is the same file as the LOG", job.name == "-" ? "standard input" : job.name.c_str());
    }
  }
  if (!force && holds_log_records(nullptr)) {
    exit_file_error("Output file is a LOG file (--force appends to it anyway)", "standard output");
  }
}

void run_job(log_job& job, decode_context& ctx, const info_request& request) {
  const bool standard_input = job.name == "-";
  const std::string shown = standard_input ? std::string("standard input") : job.name;
  if (standard_input && standard_descriptor_was_closed(STDIN_FILENO)) {
    job.error = "Standard input is closed";
    return;
  }
  FILE* input = standard_input ? stdin : std::fopen(job.name.c_str(), "rb");
  if (input == nullptr) {
    job.error = "LOG can't be opened for reading: " + job.name + ": " + std::strerror(errno);
    return;
  }
  orvex_document_options options = document_options(request.analysis, request.sources);
  const std::string told = terminal_text(shown);
  options.log_name = request.json ? job.name.c_str() : told.c_str();
  const orvex_log_input in{input, nullptr, 0};
  // The report waits in memory for its turn (the reports keep the order of the LOGs), unless it
  // is the only one.
  orvex_document_output out{job.direct, nullptr, 0};
  orvex_document_result result;
  const int status = request.json ? OrvexDecode_context_summary_json(&ctx, &options, &in, &out, &result)
                                  : OrvexDecode_context_summary_text(&ctx, &options, &in, &out, &result);
  if (!standard_input) std::fclose(input);
  if (out.data != nullptr) job.report.assign(out.data, out.size);
  OrvexDecode_free(out.data);
  if (status == ORVEX_DOCUMENT_READ_FAILED) {
    job.error = "LOG can't be read: " + shown + ": " + std::strerror(result.read_errno != 0 ? result.read_errno : EIO);
  } else if (status == ORVEX_DOCUMENT_NOT_A_LOG) {
    job.error = std::string("Not a LOG file (") + result.message + "): " + shown;
  } else if (status == ORVEX_DOCUMENT_AIRPORTS_FAILED) {
    job.error = std::string("Airports can't be read: ") + result.message;
  } else if (status == ORVEX_DOCUMENT_REFUSED) {
    job.error = result.message;
  } else if (status == -1) {
    job.error = "Out of memory for " + job.name;
  }
}

}  // namespace

int main(int argc, char** argv) {
  guard_standard_descriptors();
  const info_request request = parse_info_arguments(argc, argv);
  std::vector<log_job> jobs = jobs_of(request.logs);
  check_standard_output(jobs, request.force);
  // A lone LOG's report has no turn to wait for: written as it is made, a long LOG's is not held.
  if (jobs.size() == 1) jobs.front().direct = stdout;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers = std::min<std::size_t>(request.jobs != 0 ? request.jobs : cores, jobs.size());

  std::mutex mutex;
  std::condition_variable ready;
  std::size_t next = 0;
  // Takes the next job not yet taken, or false when there is none left.
  const auto take = [&](std::size_t& i) {
    std::lock_guard<std::mutex> lock(mutex);
    while (next < jobs.size() && jobs[next].done) ++next;
    if (next == jobs.size()) return false;
    i = next++;
    return true;
  };
  const auto run = [&](decode_context* ctx, log_job& job) {
    if (ctx == nullptr) {
      job.error = "Out of memory for " + job.name;
    } else {
      run_job(job, *ctx, request);
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      job.done = true;
    }
    ready.notify_all();
  };
  const auto work = [&](decode_context* ctx) {
    for (std::size_t i = 0; take(i);) run(ctx, jobs[i]);
    OrvexDecode_context_free(ctx);
  };
  // Every worker's context is made before the first starts: the library gives a LOG threads
  // of its own only while fewer contexts are held than there are processors.
  std::vector<decode_context*> contexts;
  for (std::size_t w = 0; w < workers; ++w) contexts.push_back(OrvexDecode_context_new());
  // Threads the system won't give (a process limit, too little memory for their stacks) leave
  // the work to those it gave, or to this thread.
  std::vector<std::thread> threads;
  for (std::size_t w = 0; w < workers; ++w) {
    try {
      threads.emplace_back(work, contexts[w]);
    } catch (const std::system_error&) {
      for (std::size_t rest = w; rest < workers; ++rest) OrvexDecode_context_free(contexts[rest]);
      break;
    }
  }
  decode_context* own = nullptr;
  if (threads.empty() && !jobs.empty()) own = OrvexDecode_context_new();

  int status = 0;
  bool first_report = true;
  for (log_job& job : jobs) {
    if (threads.empty()) {
      for (std::size_t i = 0; !job.done && take(i);) run(own, jobs[i]);
    }
    {
      std::unique_lock<std::mutex> lock(mutex);
      ready.wait(lock, [&job] { return job.done; });
    }
    if (!job.error.empty()) {
      std::fflush(stdout);
      print_file_error(job.error.c_str());
      status = 2;
      continue;
    }
    if (!request.json && !first_report) std::fputc('\n', stdout);
    first_report = false;
    std::fwrite(job.report.data(), 1, job.report.size(), stdout);
    std::string().swap(job.report);
  }
  for (std::thread& t : threads) t.join();
  OrvexDecode_context_free(own);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "ERROR: Output can't be written: standard output\n");
    status = 2;
  }
  return status;
}
