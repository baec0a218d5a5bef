// What the bridge makes of one HTTP request before anything reaches the bus:
// it serves only requests addressed to its own 127.0.0.1 address and made by
// its own page, on the routes below, and sends on the bus only names the
// catalogue lists. Anything else is refused with a status and a one-line reason.
//
//   GET  /, /FILE.(html|css|js|svg|png|ico)  the page and its files
//   GET  /api/catalogue                       the request catalogue
//   GET  /api/events                          the live stream (server-sent events)
//   GET  /api/modules                         the host's modules and their states
//   POST /api/publish, /api/request           {"name": NAME, "payload": JSON} onto the bus
//   POST /api/modules/NAME/load|unload        load or unload a configured module
#pragma once

#include <cstddef>
#include <string>

#include "kit/Kiln/bridge/Catalogue.h"

namespace Kiln {

// Bodies beyond this are refused before they are read.
constexpr size_t kMaxBodyBytes = 64 * 1024;

enum class Route { Page, File, Catalogue, Events, Modules, Publish, Request, LoadModule, UnloadModule };

struct HttpHead {
  std::string method;
  std::string target;
  std::string host;
  bool hasOrigin = false;
  std::string origin;
  std::string contentType;
};

struct Decision {
  unsigned status = 200;  // anything else: refused
  std::string reason;
  std::string allow;  // the methods of the path, with 405
  Route route = Route::Page;
  std::string argument;  // the file or module name
};

// `authority` is the one address served, "127.0.0.1:PORT".
Decision routeRequest(const HttpHead& head, const std::string& authority);

struct Outgoing {
  std::string name;
  std::string payload;  // compact JSON
};

// Reads the body of a publish or request; false with the status and reason.
bool readOutgoing(const std::string& body, const Catalogue& catalogue, Outgoing& out, unsigned& status,
                  std::string& reason);

}  // namespace Kiln
