// The TLS server of the Linux tests (cpp-httplib over OpenSSL); the Windows tests have none.

#include <httplib.h>

#include <stdexcept>

#include "support/http_server.h"

namespace nuvaro::testing {

LocalHttpServer::LocalHttpServer(const std::string& certFile, const std::string& keyFile)
    : m_server(std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str())),
      m_scheme("https") {
    if (!m_server->is_valid()) throw std::runtime_error("cannot load " + certFile);
    Start();
}

}  // namespace nuvaro::testing
