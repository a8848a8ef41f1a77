#include "engine/download/digest_check.h"


namespace Utils {

std::string GetUrlLastDir(const std::string& url) {
  const size_t last = url.rfind('/');
  if (last == std::string::npos || last == 0) return std::string();
  const size_t before = url.rfind('/', last - 1);
  if (before == std::string::npos) return std::string();
  return url.substr(before + 1, last - before - 1);
}

}  // namespace Utils

std::string ExpectedDigest(const std::string& realUrl) {
  std::string digest = Utils::GetUrlLastDir(realUrl);
  if (digest.size() != kDigestLength) digest.clear();
  return digest;
}

int RetryOnceThenFail(bool* retried) {
  if (*retried) return DL_CODE_FAIL;
  *retried = true;
  return DL_CODE_RETRY;
}

DigestVerdict JudgeDigest(const std::string& expected, const std::string& actual, bool* retried,
                          const DownloadReporter& report, const DigestTexts& texts) {
  if (expected.size() != kDigestLength) {
    report(DL_CODE_DIGEST_ERROR, 0.0, texts.missing);
    return DigestVerdict::kAccepted;
  }
  // Nothing was verified when the file cannot be read: nothing can be installed either.
  if (actual.size() != kDigestLength) return DigestVerdict::kFailed;
  if (actual == expected) return DigestVerdict::kAccepted;
  report(DL_CODE_DIGEST_ERROR, 0.0, texts.mismatch);
  return RetryOnceThenFail(retried) == DL_CODE_RETRY ? DigestVerdict::kRetry : DigestVerdict::kFailed;
}

void ReportVerdict(DigestVerdict verdict, const DownloadReporter& report) {
  switch (verdict) {
    case DigestVerdict::kAccepted:
      report(DL_CODE_SUCCESS, 0.0, L"LibCurl");
      return;
    case DigestVerdict::kRetry:
      report(DL_CODE_RETRY, 0.0, L"LibCurl");
      return;
    case DigestVerdict::kFailed:
      report(DL_CODE_FAIL, 0.0, L"LibCurl");
      return;
  }
}
