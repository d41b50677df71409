#include "quillo/service/ravo_arguments.h"

#include <charconv>

#include "quillo/service/local_service.h"

namespace quillo::service {
namespace {

constexpr std::string_view kHelp = R"(usage: quillo-ravo [options]

The ranking service of the launcher, local and offline: it ranks commands by meaning, reads
described file searches and ranks files, answering signed HTTPS requests. Nothing it is asked
leaves the machine. On start it prints its address ("https://HOST:PORT/") on standard output.

Options:
  --data-folder DIR      where the key list (clients.keys), the certificate (certificate.pem),
                         its key (certificate-key.pem) and the nonce file (nonces) are
                         (default: $XDG_DATA_HOME/quillo/ravo)
  --key-list FILE        the clients' Ed25519 public keys, one a line as 64 hexadecimal
                         characters, optionally followed by a space and a label
  --certificate FILE     the TLS certificate (PEM) clients trust
  --private-key FILE     its private key (PEM)
  --credential-file FILE bearer credentials clients must send, one a line; without it
                         requests must carry none
  --nonce-store STORE    where the nonces of accepted requests are kept, so that a replay is
                         refused: a file path (default: the data folder's "nonces"), or
                         redis://HOST:PORT to share them between several instances
  --host ADDRESS         the address to listen on (default 127.0.0.1)
  --port N               the port (default 0: any free port)
  --workers N            requests answered at once (default 4)
  --max-queued N         connections waiting beyond those; more are answered "busy" with
                         Retry-After (default 16)
  --max-body BYTES       the largest request body read (default 1048576)
  --wordnet DIR          the WordNet data (default /usr/share/wordnet)
  --announce             write the address to $XDG_RUNTIME_DIR/quillo/ravo.json while running
  --announce-to FILE     write it to FILE instead
  --with-parent          end when the process that started this one ends
  --provision-client DIR make what a client of this user needs and end: its signing key
                         (DIR/ravo-client.key), that key in the data folder's key list, the
                         certificate and its key when missing or about to end
  --help                 this text

Running it as a shared service for several machines:
  The service keeps no state but the nonces of the requests it accepted. Give it the public
  keys of every machine in one key list (each machine's own key is the line of its
  $XDG_DATA_HOME/quillo/ravo/clients.keys), a certificate the machines trust (one whose name is
  the service's host name, or a self-signed one each machine is given with --ca-file), and,
  with more than one instance behind a load balancer, one Redis server for all of them:
    quillo-ravo --host 0.0.0.0 --port 8443 --key-list clients.keys \
      --certificate cert.pem --private-key key.pem --credential-file credentials \
      --nonce-store redis://10.0.0.5:6379
  A request replayed to any instance is then refused, as every instance records the nonces in
  the same store. Requests are signed and time-stamped; clocks must agree within five minutes.
)";

std::size_t count(const std::string& option, const std::string& value, std::size_t least) {
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc{} || end != value.data() + value.size() || number < least)
    throw UsageError(option + " needs a number of at least " + std::to_string(least) + ", not '" + value +
                     "'");
  return number;
}

}  // namespace

std::string_view ravoHelp() {
  return kHelp;
}

RavoArguments parseRavoArguments(const std::vector<std::string>& arguments) {
  RavoArguments parsed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size()) throw UsageError(name + " needs a value");
      return arguments[++i];
    };
    if (name == "--help" || name == "-h") {
      parsed.help = true;
    } else if (name == "--data-folder") {
      parsed.dataFolder = value();
    } else if (name == "--key-list") {
      parsed.keyList = value();
    } else if (name == "--certificate") {
      parsed.certificate = value();
    } else if (name == "--private-key") {
      parsed.privateKey = value();
    } else if (name == "--credential-file") {
      parsed.credentialFile = value();
    } else if (name == "--nonce-store") {
      parsed.nonceStore = value();
    } else if (name == "--host") {
      parsed.host = value();
    } else if (name == "--port") {
      const std::size_t port = count(name, value(), 0);
      if (port > 65535) throw UsageError("--port needs a port number up to 65535");
      parsed.port = static_cast<int>(port);
    } else if (name == "--workers") {
      parsed.workers = count(name, value(), 1);
    } else if (name == "--max-queued") {
      parsed.maxQueued = count(name, value(), 0);
    } else if (name == "--max-body") {
      parsed.maxBodyBytes = count(name, value(), 1024);
    } else if (name == "--wordnet") {
      parsed.wordNetFolder = value();
    } else if (name == "--announce") {
      parsed.announcement = LocalServicePaths::ofThisUser().announcement();
    } else if (name == "--announce-to") {
      parsed.announcement = value();
    } else if (name == "--with-parent") {
      parsed.withParent = true;
    } else if (name == "--provision-client") {
      parsed.provisionClient = value();
    } else {
      throw UsageError("unknown option '" + name + "' (see --help)");
    }
  }
  return parsed;
}

}  // namespace quillo::service
