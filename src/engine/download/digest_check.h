#pragma once
// The digest verdict that the libcurl downloaders share. The package's expected MD5 digest is
// the second-to-last path segment of the final download URL; the file's digest is compared with
// it exactly (32 lower-case hexadecimal digits). A URL without a digest is reported and the
// download accepted; a mismatch is reported and answered with one more download the first time
// on a downloader, with a failure afterwards.
#include <cstddef>
#include <string>

#include "engine/download/downloader.h"

namespace Utils {

// The path segment before the last one ("http://h/pkg/<digest>/setup.exe" -> "<digest>"); the
// empty string when the URL has fewer than two "/".
std::string GetUrlLastDir(const std::string& url);

}  // namespace Utils

// Length of an MD5 digest in hexadecimal digits.
constexpr size_t kDigestLength = 32;

// The 1006 texts of one downloader kind.
struct DigestTexts {
  const wchar_t* missing;   // the final URL carries no digest
  const wchar_t* mismatch;  // the file's digest differs from the URL's
};

enum class DigestVerdict {
  kAccepted,  // the digests match, or the URL carries none (reported): go on to 1003
  kRetry,     // a mismatch, the first on this downloader: 1005 follows
  kFailed,    // a mismatch after the one retry, or no digest of the file to compare: 1004 follows
};

// The expected digest that a final URL carries ("" when its segment is not a digest's length).
std::string ExpectedDigest(const std::string& realUrl);

// Judges the file's digest (`actual`, "" when the file could not be read) against the expected
// one and reports 1006 where the verdict calls for it. `retried` is the downloader's own flag:
// set by the first mismatch, never cleared.
DigestVerdict JudgeDigest(const std::string& expected, const std::string& actual, bool* retried,
                          const DownloadReporter& report, const DigestTexts& texts);

// The first failure of a run on a downloader is answered with 1005 (one more run), every later
// one with 1004. Sets `retried`.
int RetryOnceThenFail(bool* retried);

// Reports the end of a run for a verdict: 1003, 1005 or 1004, each with progress 0 and "LibCurl".
void ReportVerdict(DigestVerdict verdict, const DownloadReporter& report);
