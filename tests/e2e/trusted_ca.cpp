#include "trusted_ca.h"

#include <wincrypt.h>

#include "tests/support/test_servers_win.h"

namespace sl::e2e {

TrustedTestCa::TrustedTestCa(const std::wstring& serversFolder) {
  const std::string pem = test::ReadFileBytes(serversFolder + L"\\tls\\ca.crt");
  DWORD size = 0;
  ::CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr);
  der_.resize(size);
  ::CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der_.data(), &size, nullptr, nullptr);
  added_ = Change(CERT_SYSTEM_STORE_CURRENT_USER, true) && Change(CERT_SYSTEM_STORE_LOCAL_MACHINE, true);
}

TrustedTestCa::~TrustedTestCa() {
  Change(CERT_SYSTEM_STORE_CURRENT_USER, false);
  Change(CERT_SYSTEM_STORE_LOCAL_MACHINE, false);
}

// Registry-backed stores write their changes when they are closed.
bool TrustedTestCa::Change(DWORD location, bool add) {
  HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location, L"Root");
  if (store == nullptr) return false;
  PCCERT_CONTEXT cert = nullptr;
  bool done = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der_.data(),
                                                 static_cast<DWORD>(der_.size()), CERT_STORE_ADD_USE_EXISTING,
                                                 &cert) != FALSE;
  if (done && !add)
    done = ::CertDeleteCertificateFromStore(cert) != FALSE;  // frees the context
  else if (cert)
    ::CertFreeCertificateContext(cert);
  ::CertCloseStore(store, 0);
  return done;
}

}  // namespace sl::e2e
