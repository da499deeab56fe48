#include "api/public_call.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

namespace {

// The contexts conversions run on right now. A conversion notes its context here for its
// length, so a second thread that passes the same context is told (EBUSY) instead of running
// two passes over one reader.
std::mutex claims_mutex;
std::vector<const decode_context*> claimed;

}  // namespace

context_claim::context_claim(const decode_context* context) : context_(context), refusal_(EBUSY) {
  const std::lock_guard<std::mutex> lock(claims_mutex);
  if (std::find(claimed.begin(), claimed.end(), context) != claimed.end()) return;
  try {
    claimed.push_back(context);
    refusal_ = 0;
  } catch (const std::bad_alloc&) {
    refusal_ = ENOMEM;
  }
}

context_claim::~context_claim() {
  if (refusal_ != 0) return;
  const std::lock_guard<std::mutex> lock(claims_mutex);
  claimed.erase(std::find(claimed.begin(), claimed.end(), context_));
}
