#pragma once

#include <sys/types.h>

#include <string>

#include "data/TempDir.h"

namespace lum {

/// A throw-away Mosquitto of the test's own on 127.0.0.1: a plain listener, and a TLS listener
/// that asks for a password, with a CA and server certificate made by openssl at start.
///
///   MosquittoBroker broker;         // throws std::runtime_error when it cannot start
///   broker.Port(); broker.TlsPort();
///   broker.Stop(); broker.Start();  // the broker goes away and comes back on the same ports
class MosquittoBroker {
 public:
  static constexpr char kUser[] = "gateway";
  static constexpr char kPassword[] = "s3cret";

  MosquittoBroker();
  ~MosquittoBroker();
  MosquittoBroker(const MosquittoBroker&) = delete;
  MosquittoBroker& operator=(const MosquittoBroker&) = delete;

  int Port() const { return port_; }
  int TlsPort() const { return tlsPort_; }
  /// The CA file a client checks the TLS listener's certificate against.
  std::string CaFile() const { return dir_ + "/ca.crt"; }
  void Start();
  void Stop();

 private:
  void WriteFiles() const;
  ScratchDir scratch_;
  std::string dir_;
  int port_ = 0;
  int tlsPort_ = 0;
  pid_t pid_ = -1;
};

}  // namespace lum
