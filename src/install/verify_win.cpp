#include "install/verify_win.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "base/md5.h"
#include "base/text.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "base/window_messages.h"
#include "diag/log.h"
#include "install/install_job.h"

namespace sl {

namespace {

// Large reads cost fewer calls into the file system for the same bytes.
constexpr DWORD kReadBytes = 1 << 20;
constexpr uint64_t kMinPostBytes = 1024 * 1024;

}  // namespace

std::string GetFileMd5(HANDLE file, uint64_t size, HWND progressWindow) {
  Md5 md5;
  std::vector<char> buffer(kReadBytes);
  uint64_t total = 0;
  uint64_t posted = 0;
  // A message per read would be many for a large file; a hundredth of the file is enough.
  const uint64_t postEvery = std::max<uint64_t>(size / 100, kMinPostBytes);
  uint64_t nextPost = 0;
  auto postProgress = [&] {
    if (progressWindow == nullptr) return;
    ::PostMessageW(progressWindow, WM_MD5_PROGRESS, static_cast<WPARAM>(total), static_cast<LPARAM>(size));
    posted = total;
    nextPost = total + postEvery;
  };
  DWORD read = 0;
  bool readable = true;
  while ((readable = ::ReadFile(file, buffer.data(), kReadBytes, &read, nullptr) != FALSE) && read > 0) {
    md5.Update(buffer.data(), read);
    total += read;
    if (total >= nextPost) postProgress();
  }
  if (posted != total || total == 0) postProgress();  // the final count; an empty file reports 0
  const std::string digest = readable ? md5.FinishHex() : std::string();
  if (progressWindow != nullptr) ::PostMessageW(progressWindow, WM_MD5_RESULT, digest.empty() ? 0 : 1, 0);
  return digest;
}

namespace {

constexpr char kSource[] = "Signature";

static_assert(kTrustRevocationStatusUnknown == CERT_TRUST_REVOCATION_STATUS_UNKNOWN);
static_assert(kTrustIsOfflineRevocation == CERT_TRUST_IS_OFFLINE_REVOCATION);

struct Signature {
  SignatureState state = SignatureState::Unsigned;
  std::vector<BYTE> subject;  // the signer's encoded subject name
  std::string signer;         // its display name, for the log
  LONG result = 0;            // what WinVerifyTrust said
};

// The platform's verdict on the file (its bytes as signed), then the signer's chain judged at the
// signature's time by ChainErrorsAcceptable: Wine's verification does not refuse an unknown root.
Signature ReadSignature(const std::wstring& path, HANDLE held) {
  Signature signature;
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path.c_str();
  file.hFile = held;  // the bytes read are those of the handle the caller holds against writers
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  signature.result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  const bool noSignature =
      signature.result == TRUST_E_NOSIGNATURE || signature.result == TRUST_E_SUBJECT_FORM_UNKNOWN;
  signature.state = noSignature ? SignatureState::Unsigned : SignatureState::Invalid;
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
  CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* cert = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  if (cert != nullptr && cert->pCert != nullptr) {
    const CERT_NAME_BLOB& name = cert->pCert->pCertInfo->Subject;
    signature.subject.assign(name.pbData, name.pbData + name.cbData);
    wchar_t display[256] = {};
    ::CertGetNameStringW(cert->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, display, 256);
    signature.signer = Narrow(display);
    if (signature.result == ERROR_SUCCESS) {
      CERT_CHAIN_PARA para{};
      para.cbSize = sizeof(para);
      char codeSigning[] = szOID_PKIX_KP_CODE_SIGNING;
      LPSTR usages[] = {codeSigning};
      para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
      para.RequestedUsage.Usage.cUsageIdentifier = 1;
      para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
      PCCERT_CHAIN_CONTEXT chain = nullptr;
      HCERTSTORE extra = provider->chStores != 0 ? provider->pahStores[0] : nullptr;
      if (::CertGetCertificateChain(
              nullptr, cert->pCert, &signer->sftVerifyAsOf, extra, &para,
              CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT | CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL, nullptr,
              &chain)) {
        if (ChainErrorsAcceptable(chain->TrustStatus.dwErrorStatus)) signature.state = SignatureState::Valid;
        ::CertFreeCertificateChain(chain);
      }
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return signature;
}

// This program's own signature. A file that cannot be read counts as signed with a signature that
// does not hold, so that nothing passes unchecked: only a readable file without one is unsigned.
const Signature& OwnSignature() {
  static const Signature own = [] {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (length < path.size()) {
        path.resize(length);
        break;
      }
      path.resize(path.size() * 2);
    }
    const UniqueFile file = OpenFileForReading(path.c_str());
    if (!file) return Signature{SignatureState::Invalid, {}, {}, static_cast<LONG>(::GetLastError())};
    return ReadSignature(path, file.get());
  }();
  return own;
}

}  // namespace

bool SignedLikeThisProgram(const std::string& path, HANDLE held) {
  const Signature& own = OwnSignature();
  if (own.state == SignatureState::Unsigned) {
    static std::atomic<bool> logged{false};
    if (!logged.exchange(true))
      WriteLog(
          kSource, 0,
          "Chương trình không có chữ ký số: không kiểm tra chữ ký của chương trình cài đặt và gói cập nhật");
    return true;
  }
  const Signature file = ReadSignature(Widen(path), held);
  const bool sameSubject = !own.subject.empty() && own.subject == file.subject;
  if (DecideTrust(own.state, file.state, sameSubject) == TrustVerdict::Accept) return true;
  WriteLog(kSource, static_cast<uint32_t>(file.result),
           Format("Từ chối %s: chữ ký %s, người ký \"%s\", cần \"%s\"", path.c_str(),
                  file.state == SignatureState::Unsigned  ? "không có"
                  : file.state == SignatureState::Invalid ? "không hợp lệ"
                                                          : "hợp lệ",
                  file.signer.c_str(), own.signer.c_str()));
  return false;
}

}  // namespace sl
