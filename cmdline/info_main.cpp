// orvexdecode-info: tells the flights in EFIS LOG files, as text for a person or as JSON Lines
// for a program (cmdline/info_options.cpp has the usage).
//
// Each LOG is read on its own decode context; -j N reads N at once, and each report is written
// as soon as it and every report before it are ready, so the output keeps the order given. A
// LOG that cannot be read gives an "ERROR:" line on standard error in its place, the others
// still run, and the exit status is 2.
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "info_json.h"
#include "info_options.h"
#include "info_text.h"

namespace {

struct log_job {
  std::string name;   // as it is reported
  std::string error;  // set instead of the report when the LOG cannot be read
  std::string report;
  bool done = false;
};

bool is_log_name(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".log";
}

// The LOGs of the arguments: a folder gives its .LOG files (not its subfolders), by name.
std::vector<log_job> jobs_of(const std::vector<std::string>& names) {
  std::vector<log_job> jobs;
  for (const std::string& name : names) {
    std::error_code ec;
    if (name != "-" && std::filesystem::is_directory(name, ec)) {
      std::vector<std::string> files;
      for (std::filesystem::directory_iterator it(name, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (is_log_name(it->path()) && !it->is_directory(type_ec)) files.push_back(it->path().string());
      }
      std::sort(files.begin(), files.end());
      if (ec) {
        jobs.push_back({name, "Folder can't be read: " + name + ": " + ec.message(), "", true});
      } else if (files.empty()) {
        jobs.push_back({name, "Folder holds no .LOG files: " + name, "", true});
      }
      for (const std::string& f : files) jobs.push_back({f, "", "", false});
    } else {
      jobs.push_back({name, "", "", false});
    }
  }
  return jobs;
}

void run_job(log_job& job, decode_context& ctx, const info_request& request) {
  const bool standard_input = job.name == "-";
  FILE* input = standard_input ? stdin : std::fopen(job.name.c_str(), "rb");
  if (input == nullptr) {
    job.error = "LOG can't be opened for reading: " + job.name + ": " + std::strerror(errno);
    return;
  }
  errno = 0;
  const log_summary summary = analyse_log(ctx, request.analysis, input);
  const int read_errno = errno;
  const bool failed = summary.health.reader.input_error || std::ferror(input);
  if (!standard_input) std::fclose(input);
  if (failed) {
    job.error = "LOG can't be read: " + (standard_input ? std::string("standard input") : job.name) + ": " +
                std::strerror(read_errno != 0 ? read_errno : EIO);
    return;
  }
  job.report = request.json ? render_info_json(job.name, summary, request.analysis)
                            : render_info_text(standard_input ? "standard input" : job.name, summary);
}

}  // namespace

int main(int argc, char** argv) {
  const info_request request = parse_info_arguments(argc, argv);
  std::vector<log_job> jobs = jobs_of(request.logs);
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers = std::min<std::size_t>(request.jobs != 0 ? request.jobs : cores, jobs.size());

  std::mutex mutex;
  std::condition_variable ready;
  std::size_t next = 0;
  const auto work = [&] {
    decode_context* ctx = OrvexDecode_context_new();
    for (;;) {
      std::size_t i;
      {
        std::lock_guard<std::mutex> lock(mutex);
        while (next < jobs.size() && jobs[next].done) ++next;
        if (next == jobs.size()) break;
        i = next++;
      }
      log_job& job = jobs[i];
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
    }
    OrvexDecode_context_free(ctx);
  };
  std::vector<std::thread> threads;
  for (std::size_t w = 0; w < workers; ++w) threads.emplace_back(work);

  int status = 0;
  bool first_report = true;
  for (log_job& job : jobs) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      ready.wait(lock, [&job] { return job.done; });
    }
    if (!job.error.empty()) {
      std::fflush(stdout);
      std::fprintf(stderr, "ERROR: %s\n", job.error.c_str());
      status = 2;
      continue;
    }
    if (!request.json && !first_report) std::fputc('\n', stdout);
    first_report = false;
    std::fwrite(job.report.data(), 1, job.report.size(), stdout);
    std::string().swap(job.report);
  }
  for (std::thread& t : threads) t.join();
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "ERROR: Output can't be written: standard output\n");
    status = 2;
  }
  return status;
}
