// Boost.Asio brings the socket headers, which must come before <windows.h>.
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "include/ModuleStatus.h"
#include "kit/Kiln/StatusText.h"
#include "kit/Kiln/Text.h"
#include "kit/Kiln/bridge/Catalogue.h"
#include "kit/Kiln/bridge/EventText.h"
#include "kit/Kiln/bridge/Panel.h"
#include "kit/Kiln/bridge/PanelBus.h"
#include "kit/Kiln/bridge/Routes.h"

namespace Kiln {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Response = http::response<http::string_body>;

constexpr uint32_t kRequestTimeoutMs = 5000;
// Connections beyond this are closed at once; a page needs a handful.
constexpr size_t kMaxConnections = 64;
// A stream whose reader falls this far behind is closed; the page reconnects.
constexpr size_t kMaxQueuedEvents = 4096;
// After a refusal, what is left of the request body is read and dropped, so
// that the client sees the answer rather than a reset connection.
constexpr size_t kMaxDrainBytes = 1024 * 1024;
constexpr auto kReadTimeout = std::chrono::seconds(60);
constexpr auto kDrainTimeout = std::chrono::seconds(2);
constexpr auto kKeepAliveInterval = std::chrono::seconds(15);

constexpr char kStreamHead[] =
    "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
    "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\nretry: 1000\n\n";
// The page loads nothing from anywhere else and is never framed.
constexpr char kPagePolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

std::string text(beast::string_view view) { return std::string(view.data(), view.size()); }

const char* contentType(const std::string& file) {
  static const struct {
    const char* extension;
    const char* type;
  } kTypes[] = {{".html", "text/html; charset=utf-8"},
                {".css", "text/css; charset=utf-8"},
                {".js", "text/javascript; charset=utf-8"},
                {".svg", "image/svg+xml"},
                {".png", "image/png"},
                {".ico", "image/x-icon"}};
  for (const auto& known : kTypes) {
    const std::string extension = known.extension;
    if (file.size() > extension.size() &&
        file.compare(file.size() - extension.size(), std::string::npos, extension) == 0)
      return known.type;
  }
  return "application/octet-stream";
}

bool readFile(const std::wstring& path, std::string& bytes) {
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// The path with its "..\" steps resolved, as the host prints it.
std::wstring fullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2];
  const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : path;
}

Response reply(unsigned status, const char* type, std::string body) {
  Response response(static_cast<http::status>(status), 11);
  response.set(http::field::content_type, type);
  response.body() = std::move(body);
  return response;
}

// Runs the module loads and unloads the page asks for, one at a time, off the
// network thread: a module can take a while to stop.
class ActionThread {
 public:
  ActionThread() : thread_([this] { run(); }) {}
  ~ActionThread() { stop(); }
  ActionThread(const ActionThread&) = delete;
  ActionThread& operator=(const ActionThread&) = delete;

  void post(std::function<void()> action) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
      actions_.push_back(std::move(action));
    }
    changed_.notify_one();
  }

  // Waits for the action in progress; the others are never run, and go with
  // the object (they hold sessions, which must end on the network thread).
  void stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_one();
    if (thread_.joinable()) thread_.join();
  }

 private:
  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stopping_ || !actions_.empty(); });
      if (stopping_) return;
      std::function<void()> action = std::move(actions_.front());
      actions_.pop_front();
      lock.unlock();
      action();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> actions_;
  bool stopping_ = false;
  std::thread thread_;
};

class Panel;

// One connection while it speaks HTTP: reads a request, lets the panel answer
// it, and reads the next one while the client keeps the connection.
class HttpSession : public std::enable_shared_from_this<HttpSession> {
 public:
  HttpSession(tcp::socket socket, Panel& panel) : stream_(std::move(socket)), panel_(panel) {}

  void start() { read(); }
  void respond(Response response, bool closeAfter = false);
  // A plain-text refusal: the status and its one-line reason.
  void refuse(unsigned status, const std::string& reason, const std::string& allow = std::string(),
              bool closeAfter = false);
  // For the event stream, which writes on the socket itself from then on.
  tcp::socket takeSocket() { return stream_.release_socket(); }
  void close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
  }

 private:
  void read();
  void onRead(beast::error_code error);
  void drain();

  beast::tcp_stream stream_;
  Panel& panel_;
  beast::flat_buffer buffer_;
  std::unique_ptr<http::request_parser<http::string_body>> parser_;
  bool keepAlive_ = false;
  char scratch_[4096];
  size_t drained_ = 0;
};

// One page's live stream: server-sent events written straight on the socket.
class EventStream : public std::enable_shared_from_this<EventStream> {
 public:
  explicit EventStream(tcp::socket socket) : socket_(std::move(socket)), timer_(socket_.get_executor()) {}

  void start(const std::string& first) {
    push(std::make_shared<const std::string>(kStreamHead + first));
    watch();
    keepAlive();
  }

  void push(const std::shared_ptr<const std::string>& event) {
    if (!socket_.is_open()) return;
    if (queue_.size() >= kMaxQueuedEvents) return close();
    queue_.push_back(event);
    if (queue_.size() == 1) write();
  }

  void close() {
    beast::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    timer_.cancel();
  }

 private:
  void write() {
    const std::shared_ptr<const std::string> event = queue_.front();
    asio::async_write(socket_, asio::buffer(*event),
                      [self = shared_from_this(), event](beast::error_code error, std::size_t) {
                        if (error) return self->close();
                        self->queue_.pop_front();
                        if (!self->queue_.empty()) self->write();
                      });
  }

  // The page sends nothing; a read that ends tells that it went away.
  void watch() {
    socket_.async_read_some(asio::buffer(incoming_),
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                              if (error) return self->close();
                              self->watch();
                            });
  }

  // A comment now and then finds a reader that vanished without closing.
  void keepAlive() {
    timer_.expires_after(kKeepAliveInterval);
    timer_.async_wait([self = shared_from_this()](beast::error_code error) {
      if (error || !self->socket_.is_open()) return;
      self->push(std::make_shared<const std::string>(": keep-alive\n\n"));
      self->keepAlive();
    });
  }

  tcp::socket socket_;
  asio::steady_timer timer_;
  std::deque<std::shared_ptr<const std::string>> queue_;
  char incoming_[256];
};

class Panel final : public HostAddOn {
 public:
  explicit Panel(const AddOnContext& context);
  ~Panel() override;

  bool start(const std::string& port, std::wstring& error);
  void moduleChanged(const ModuleEvent& event) override;
  void serve(const std::shared_ptr<HttpSession>& session, const http::request<http::string_body>& request);

 private:
  void runNetwork();
  void accept();
  void admit(tcp::socket socket);
  void broadcast(const std::string& event);
  void serveFile(const std::shared_ptr<HttpSession>& session, const std::string& name);
  void serveCatalogue(const std::shared_ptr<HttpSession>& session);
  void openStream(const std::shared_ptr<HttpSession>& session);
  void send(const std::shared_ptr<HttpSession>& session, const std::string& body, bool asRequest);
  void changeModule(const std::shared_ptr<HttpSession>& session, const std::string& name, bool load);
  void closeAll();

  // First, so that it goes last: destroying it drops the handlers that still
  // hold sessions and streams.
  asio::io_context io_;
  tcp::acceptor acceptor_;
  HostControl& control_;
  HostOutput& output_;
  std::wstring files_;
  std::wstring cataloguePath_;
  std::string authority_;
  // The network thread's own state.
  Catalogue catalogue_;
  std::vector<ModuleState> modules_;
  std::vector<std::weak_ptr<HttpSession>> sessions_;
  std::vector<std::weak_ptr<EventStream>> streams_;

  PanelBus bus_;
  ActionThread actions_;
  std::thread network_;
};

void HttpSession::read() {
  parser_.reset(new http::request_parser<http::string_body>());
  parser_->body_limit(kMaxBodyBytes);
  stream_.expires_after(kReadTimeout);
  http::async_read(
      stream_, buffer_, *parser_,
      [self = shared_from_this()](beast::error_code error, std::size_t) { self->onRead(error); });
}

void HttpSession::onRead(beast::error_code error) {
  if (error == http::error::body_limit)
    return refuse(413, "the body is over the limit of " + std::to_string(kMaxBodyBytes) + " bytes", "", true);
  if (error == http::error::header_limit) return refuse(431, "the request head is too large", "", true);
  if (error && error != http::error::end_of_stream &&
      error.category() == http::make_error_code(http::error::bad_method).category())
    return refuse(400, "not a readable HTTP request: " + error.message(), "", true);
  if (error) return close();
  keepAlive_ = parser_->get().keep_alive();
  panel_.serve(shared_from_this(), parser_->get());
}

void HttpSession::respond(Response response, bool closeAfter) {
  response.set(http::field::cache_control, "no-store");
  response.set("X-Content-Type-Options", "nosniff");
  response.set("Referrer-Policy", "no-referrer");
  response.keep_alive(keepAlive_ && !closeAfter);
  response.prepare_payload();
  const auto held = std::make_shared<Response>(std::move(response));
  http::async_write(stream_, *held, [self = shared_from_this(), held](beast::error_code error, std::size_t) {
    if (error) return self->close();
    if (held->keep_alive()) return self->read();
    beast::error_code ignored;
    self->stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    self->drain();
  });
}

void HttpSession::refuse(unsigned status, const std::string& reason, const std::string& allow,
                         bool closeAfter) {
  Response response = reply(status, "text/plain; charset=utf-8", reason + "\n");
  if (!allow.empty()) response.set(http::field::allow, allow);
  respond(std::move(response), closeAfter);
}

void HttpSession::drain() {
  stream_.expires_after(kDrainTimeout);
  stream_.async_read_some(asio::buffer(scratch_),
                          [self = shared_from_this()](beast::error_code error, std::size_t n) {
                            self->drained_ += n;
                            if (error || self->drained_ > kMaxDrainBytes) return self->close();
                            self->drain();
                          });
}

Panel::Panel(const AddOnContext& context)
    : acceptor_(io_),
      control_(context.control),
      output_(context.output),
      files_(context.options.panelFiles.empty() ? context.binFolder + L"\\panel"
                                                : context.options.panelFiles),
      cataloguePath_(fullPath(context.options.cataloguePath.empty()
                                  ? context.binFolder + L"\\..\\catalogue\\requests.json"
                                  : context.options.cataloguePath)),
      bus_(context.bus, [this](const SeenMessage& message) {
        std::string event = serverSentEvent("bus", busMessageJson(message, clockText()));
        asio::post(io_, [this, event] { broadcast(event); });
      }) {
  for (const std::wstring& name : control_.configuredModules())
    modules_.push_back({name, false, L"not loaded yet"});
}

Panel::~Panel() {
  // Nothing calls in from the bus or the action thread after these; what they
  // still hold goes with the members, once the network thread has ended.
  bus_.close();
  actions_.stop();
  if (network_.joinable()) {
    asio::post(io_, [this] {
      closeAll();
      io_.stop();
    });
    network_.join();
  }
}

bool Panel::start(const std::string& port, std::wstring& error) {
  beast::error_code failure;
  const tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"),
                               static_cast<unsigned short>(std::stoul(port)));
  acceptor_.open(endpoint.protocol(), failure);
  if (!failure) acceptor_.bind(endpoint, failure);
  if (!failure) acceptor_.listen(asio::socket_base::max_listen_connections, failure);
  if (failure) {
    error = L"cannot listen on 127.0.0.1:" + fromUtf8(port) + L": " + fromUtf8(failure.message());
    return false;
  }
  authority_ = "127.0.0.1:" + std::to_string(acceptor_.local_endpoint().port());

  const uint32_t status = bus_.open();
  if (status != Ledra::MODULE_STATUS_SUCCESS) {
    error = L"the bus refused the panel a handle of its own: " + statusText(status);
    return false;
  }
  std::string problem;
  const std::wstring catalogue =
      catalogue_.load(cataloguePath_, problem)
          ? std::to_wstring(catalogue_.size()) + L" requests from " + cataloguePath_
          : L"none yet, " + fromUtf8(problem) + L": " + cataloguePath_;
  output_.line(L"host: panel at http://" + fromUtf8(authority_) + L"/ (catalogue: " + catalogue + L")");
  accept();
  network_ = std::thread([this] { runNetwork(); });
  return true;
}

void Panel::runNetwork() {
  for (;;) {
    try {
      io_.run();
      return;
    } catch (const std::exception& failure) {
      output_.line(L"kiln: panel: " + fromUtf8(failure.what()));
    } catch (...) {
      output_.line(L"kiln: panel: unknown failure");
    }
  }
}

void Panel::moduleChanged(const ModuleEvent& event) {
  asio::post(io_, [this, event] {
    ModuleState* state = nullptr;
    for (ModuleState& known : modules_) {
      if (known.name == event.module) state = &known;
    }
    if (!state) {
      modules_.push_back({event.module, false, std::wstring()});
      state = &modules_.back();
    }
    state->running = event.running;
    state->reason = event.reason;
    broadcast(serverSentEvent("module", moduleJson(*state)));
  });
}

void Panel::accept() {
  acceptor_.async_accept([this](beast::error_code error, tcp::socket socket) {
    if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (!error) admit(std::move(socket));
    accept();
  });
}

template <typename T>
void forget(std::vector<std::weak_ptr<T>>& list) {
  for (auto entry = list.begin(); entry != list.end();)
    entry = entry->expired() ? list.erase(entry) : entry + 1;
}

void Panel::admit(tcp::socket socket) {
  beast::error_code error;
  const tcp::endpoint peer = socket.remote_endpoint(error);
  if (error || peer.address() != asio::ip::make_address_v4("127.0.0.1")) return;
  forget(sessions_);
  forget(streams_);
  if (sessions_.size() + streams_.size() >= kMaxConnections) return;
  const auto session = std::make_shared<HttpSession>(std::move(socket), *this);
  sessions_.push_back(session);
  session->start();
}

void Panel::broadcast(const std::string& event) {
  const auto shared = std::make_shared<const std::string>(event);
  forget(streams_);
  for (const auto& entry : streams_) {
    if (const auto stream = entry.lock()) stream->push(shared);
  }
}

void Panel::serve(const std::shared_ptr<HttpSession>& session,
                  const http::request<http::string_body>& request) {
  HttpHead head;
  head.method = text(request.method_string());
  head.target = text(request.target());
  head.host = text(request[http::field::host]);
  const auto origin = request.find(http::field::origin);
  head.hasOrigin = origin != request.end();
  if (head.hasOrigin) head.origin = text(origin->value());
  head.contentType = text(request[http::field::content_type]);

  const Decision decision = routeRequest(head, authority_);
  if (decision.status != 200) return session->refuse(decision.status, decision.reason, decision.allow);
  switch (decision.route) {
    case Route::Page:
    case Route::File:
      return serveFile(session, decision.argument);
    case Route::Catalogue:
      return serveCatalogue(session);
    case Route::Events:
      return openStream(session);
    case Route::Modules:
      return session->respond(reply(200, "application/json", modulesJson(modules_)));
    case Route::Publish:
    case Route::Request:
      return send(session, request.body(), decision.route == Route::Request);
    case Route::LoadModule:
    case Route::UnloadModule:
      return changeModule(session, decision.argument, decision.route == Route::LoadModule);
  }
}

void Panel::serveFile(const std::shared_ptr<HttpSession>& session, const std::string& name) {
  std::string bytes;
  if (!readFile(files_ + L"\\" + fromUtf8(name), bytes))
    return session->refuse(404, "no file " + name + " in the panel folder " + toUtf8(files_));
  Response response = reply(200, contentType(name), std::move(bytes));
  if (name.size() > 5 && name.compare(name.size() - 5, 5, ".html") == 0)
    response.set("Content-Security-Policy", kPagePolicy);
  session->respond(std::move(response));
}

void Panel::serveCatalogue(const std::shared_ptr<HttpSession>& session) {
  // Read again each time, so that a rebuilt catalogue shows without a restart.
  std::string problem;
  if (!catalogue_.load(cataloguePath_, problem) && !catalogue_.loaded())
    return session->refuse(
        404, "no catalogue: " + problem + ": " + toUtf8(cataloguePath_) + " (./tarn build writes it)");
  session->respond(reply(200, "application/json", catalogue_.text()));
}

void Panel::openStream(const std::shared_ptr<HttpSession>& session) {
  const auto stream = std::make_shared<EventStream>(session->takeSocket());
  streams_.push_back(stream);
  stream->start(serverSentEvent("modules", modulesJson(modules_)));
}

void Panel::send(const std::shared_ptr<HttpSession>& session, const std::string& body, bool asRequest) {
  Outgoing outgoing;
  unsigned status = 0;
  std::string reason;
  if (!readOutgoing(body, catalogue_, outgoing, status, reason)) return session->refuse(status, reason);
  const std::wstring name = fromUtf8(outgoing.name);
  const std::wstring payload = fromUtf8(outgoing.payload);
  if (!asRequest) {
    const uint32_t sent = bus_.publish(name, payload);
    if (sent != Ledra::MODULE_STATUS_SUCCESS)
      return session->refuse(502, "the bus refused the message: " + toUtf8(statusText(sent)));
    return session->respond(reply(200, "application/json", "{\"sent\":true}"));
  }
  const uint32_t sent = bus_.request(
      name, payload, kRequestTimeoutMs, [this, session](uint32_t replyStatus, const SeenMessage* answer) {
        const std::string json = replyJson(replyStatus, answer, clockText());
        asio::post(io_, [session, json] { session->respond(reply(200, "application/json", json)); });
      });
  if (sent != Ledra::MODULE_STATUS_SUCCESS)
    session->refuse(502, "the bus refused the request: " + toUtf8(statusText(sent)));
}

void Panel::changeModule(const std::shared_ptr<HttpSession>& session, const std::string& name, bool load) {
  const std::wstring module = fromUtf8(name);
  bool configured = false;
  for (const ModuleState& state : modules_) configured = configured || state.name == module;
  if (!configured) return session->refuse(404, "no module " + name + " in the host's configuration");
  actions_.post([this, session, name, module, load] {
    const bool done =
        load ? control_.loadModule(module) : control_.unloadModule(module, L"unloaded from the panel");
    asio::post(io_, [session, name, load, done] {
      if (done) return session->respond(reply(200, "application/json", "{\"done\":true}"));
      session->refuse(409,
                      load ? name + " did not start (the host's event says why)" : name + " is not running");
    });
  });
}

void Panel::closeAll() {
  beast::error_code ignored;
  acceptor_.close(ignored);
  for (const auto& entry : streams_) {
    if (const auto stream = entry.lock()) stream->close();
  }
  for (const auto& entry : sessions_) {
    if (const auto session = entry.lock()) session->close();
  }
}

}  // namespace

std::unique_ptr<HostAddOn> makePanel(const AddOnContext& context, std::wstring& error) {
  const std::wstring& address = context.options.panelAddress;
  const std::string port = toUtf8(address.substr(address.find(L':') + 1));
  std::unique_ptr<Panel> panel(new Panel(context));
  if (!panel->start(port, error)) return nullptr;
  return panel;
}

}  // namespace Kiln
