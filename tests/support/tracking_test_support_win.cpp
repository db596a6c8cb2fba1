#include "tests/support/tracking_test_support_win.h"

#include <windows.h>
#include <wincrypt.h>

#include <filesystem>
#include <cwchar>
#include <map>
#include <sstream>

#include "tests/support/test_servers_win.h"

namespace sl::test {

TrackingServer::TrackingServer(const std::string& folder) : folder_(WinePath(folder)) {}

void TrackingServer::SetAnswer(const wchar_t* name, const std::string& body, int status) const {
  const std::wstring base = folder_ + L"\\answers\\" + name;
  WriteFileBytes(base, body);
  WriteFileBytes(base + L".status", std::to_string(status));
}

void TrackingServer::Reset() const {
  for (const wchar_t* folder : {L"\\answers", L"\\requests"}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder_ + folder)) {
      std::filesystem::remove(entry.path());
    }
  }
}

std::vector<TrackingRequest> TrackingServer::Requests() const {
  std::vector<TrackingRequest> requests;
  for (int n = 0;; ++n) {
    const std::wstring base = folder_ + L"\\requests\\" + std::to_wstring(n);
    if (!std::filesystem::exists(std::filesystem::path(base + L".head"))) break;
    std::map<std::string, std::string> fields;
    std::istringstream head(ReadFileBytes(base + L".head"));
    std::string line;
    while (std::getline(head, line)) {
      const size_t equals = line.find('=');
      if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    TrackingRequest request{fields["method"], fields["path"], fields["host"], fields["agent"],
                            fields["type"],   fields["json"], fields["keys"], {}};
    request.body = ReadFileBytes(base + L".body");
    requests.push_back(std::move(request));
  }
  return requests;
}

TrustedCa::TrustedCa(const std::wstring& pemPath) {
  const std::string pem = ReadFileBytes(pemPath);
  DWORD size = 0;
  ::CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr);
  der_.resize(size);
  ::CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der_.data(), &size, nullptr, nullptr);
  added_ = !der_.empty() && Change(CERT_SYSTEM_STORE_CURRENT_USER, true) &&
           Change(CERT_SYSTEM_STORE_LOCAL_MACHINE, true);
}

TrustedCa::~TrustedCa() {
  Change(CERT_SYSTEM_STORE_CURRENT_USER, false);
  Change(CERT_SYSTEM_STORE_LOCAL_MACHINE, false);
}

// Registry-backed stores write their changes when they are closed. Wine's store forgets to write a
// removal, so the certificate's key (named by its SHA-1 thumbprint) is removed directly as well.
bool TrustedCa::Change(unsigned long location, bool add) {
  HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location, L"Root");
  if (store == nullptr) return false;
  PCCERT_CONTEXT cert = nullptr;
  bool done = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der_.data(),
                                                 static_cast<DWORD>(der_.size()), CERT_STORE_ADD_USE_EXISTING,
                                                 &cert) != FALSE;
  std::wstring thumbprint;
  BYTE hash[20];
  DWORD hashSize = sizeof(hash);
  if (cert && ::CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, hash, &hashSize)) {
    for (DWORD i = 0; i < hashSize; ++i) {
      wchar_t digits[3];
      swprintf(digits, 3, L"%02X", hash[i]);
      thumbprint += digits;
    }
  }
  if (done && !add) {
    done = ::CertDeleteCertificateFromStore(cert) != FALSE;  // frees the context
  } else if (cert) {
    ::CertFreeCertificateContext(cert);
  }
  ::CertCloseStore(store, 0);
  if (!add && !thumbprint.empty()) {
    const HKEY hive = location == CERT_SYSTEM_STORE_CURRENT_USER ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    ::RegDeleteKeyW(hive,
                    (L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\" + thumbprint).c_str());
  }
  return done;
}

}  // namespace sl::test
