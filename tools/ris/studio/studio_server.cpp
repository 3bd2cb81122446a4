#include "studio_server.h"

#include <mutex>
#include <thread>

#include <httplib.h>

#include "base/errors.h"
#include "request_guard.h"
#include "studio_page.h"

namespace ris::tool {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kJsonType = "application/json; charset=utf-8";

// Product texts the page shows may hold bytes that are no UTF-8 (a file
// named in another code page); they are shown replaced, never refused.
void ReplyJson(httplib::Response& response, const Json& body) {
  response.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace), kJsonType);
}

void Refuse(httplib::Response& response, int status, const std::string& why) {
  response.status = status;
  ReplyJson(response, {{"ok", false}, {"complaints", why}});
}

std::optional<std::string_view> HeaderOf(const httplib::Request& request, const char* name) {
  if (!request.has_header(name)) return std::nullopt;
  const auto found = request.headers.find(name);
  return std::string_view(found->second);
}

// The request's JSON body; a discarded value when it is none.
Json BodyOf(const httplib::Request& request) { return Json::parse(request.body, nullptr, false); }

std::string StringField(const Json& body, const char* name) {
  const auto found = body.find(name);
  return found != body.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The files of a multipart request under `name`, or why they are too many
// or too large.
Result<std::vector<Upload>, std::string> UploadsOf(const httplib::Request& request, const char* name) {
  std::vector<Upload> uploads;
  const auto [first, last] = request.files.equal_range(name);
  for (auto it = first; it != last; ++it) {
    if (uploads.size() == kMaxStudioUploadCount) {
      return Failure{"at most " + std::to_string(kMaxStudioUploadCount) + " pictures at once"};
    }
    if (it->second.content.size() > kMaxStudioUploadBytes) {
      return Failure{it->second.filename + " is larger than " + std::to_string(kMaxStudioUploadBytes >> 20) +
                     " MiB"};
    }
    uploads.push_back({it->second.filename, it->second.content});
  }
  return uploads;
}

class Server final : public StudioServer {
 public:
  Server(StudioFolders folders, std::string token) : product_(std::move(folders)) { address_.Token = std::move(token); }

  Result<void, std::string> Bind() {
    server_.set_payload_max_length(kMaxStudioRequestBytes);
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
      return Guard(request, response);
    });
    server_.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr failure) {
          try {
            std::rethrow_exception(failure);
          } catch (...) {
            Refuse(response, 500, CurrentExceptionMessage());
          }
        });
    Route();
    const int port = server_.bind_to_any_port("127.0.0.1");
    if (port <= 0) return Failure{std::string("cannot listen on 127.0.0.1")};
    address_.Port = static_cast<std::uint16_t>(port);
    return {};
  }

  std::string Address() const override {
    return "http://127.0.0.1:" + std::to_string(address_.Port) + "/#token=" + address_.Token;
  }

  void Serve(std::chrono::milliseconds idle, const std::atomic<bool>& interrupted) override {
    last_request_ = Clock::now().time_since_epoch().count();
    std::thread listener([this] { server_.listen_after_bind(); });
    // The watch for Ctrl+C and for a page closed a while ago.
    while (!interrupted && Clock::now() - Clock::time_point(Clock::duration(last_request_.load())) < idle) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    server_.stop();
    listener.join();
  }

 private:
  httplib::Server::HandlerResponse Guard(const httplib::Request& request, httplib::Response& response) {
    const RequestHeaders headers{HeaderOf(request, "Host").value_or(""), HeaderOf(request, "Origin"),
                                 HeaderOf(request, "X-Studio-Token")};
    if (const auto refusal = RequestRefusal(address_, headers, request.path != "/")) {
      Refuse(response, 403, *refusal);
      return httplib::Server::HandlerResponse::Handled;
    }
    last_request_ = Clock::now().time_since_epoch().count();
    return httplib::Server::HandlerResponse::Unhandled;
  }

  // A handler that works on the product under the one lock.
  template <typename Handler>
  httplib::Server::Handler Locked(Handler handler) {
    return [this, handler](const httplib::Request& request, httplib::Response& response) {
      const std::lock_guard lock(product_lock_);
      handler(request, response);
    };
  }

  void Route() {
    server_.Get("/", [](const httplib::Request&, httplib::Response& response) {
      // Nothing but its own and what it draws itself, and never inside
      // another site's page.
      response.set_header("Content-Security-Policy",
                          "default-src 'self' blob: 'unsafe-inline'; img-src 'self' blob: data:; frame-ancestors 'none'");
      response.set_header("X-Frame-Options", "DENY");
      response.set_content(std::string(StudioPage()), "text/html; charset=utf-8");
    });
    server_.Get("/api/product", Locked([this](const httplib::Request&, httplib::Response& response) {
                  ReplyJson(response, product_.Describe());
                }));
    server_.Post("/api/heartbeat", [](const httplib::Request&, httplib::Response& response) {
      ReplyJson(response, {{"ok", true}});
    });
    server_.Post("/api/new", Locked([this](const httplib::Request& request, httplib::Response& response) {
                   const auto photos = UploadsOf(request, "photo");
                   if (!photos) return Refuse(response, 413, photos.error());
                   ReplyJson(response, product_.Create(request.get_file_value("title").content,
                                                       request.get_file_value("codePage").content, *photos));
                 }));
    server_.Post("/api/photos", Locked([this](const httplib::Request& request, httplib::Response& response) {
                   const auto photos = UploadsOf(request, "photo");
                   if (!photos) return Refuse(response, 413, photos.error());
                   ReplyJson(response, product_.AddPhotos(*photos));
                 }));
    server_.Post("/api/settings", Locked([this](const httplib::Request& request, httplib::Response& response) {
                   const Json body = BodyOf(request);
                   if (!body.is_object()) return Refuse(response, 400, "the body is no JSON object");
                   ReplyJson(response, product_.SetValue(StringField(body, "section"), StringField(body, "key"),
                                                         StringField(body, "value")));
                 }));
    server_.Post("/api/sets/rename", Locked([this](const httplib::Request& request, httplib::Response& response) {
                   const Json body = BodyOf(request);
                   if (!body.is_object()) return Refuse(response, 400, "the body is no JSON object");
                   ReplyJson(response, product_.RenameSet(StringField(body, "from"), StringField(body, "to")));
                 }));
    server_.Post("/api/sets/remove", Locked([this](const httplib::Request& request, httplib::Response& response) {
                   const Json body = BodyOf(request);
                   if (!body.is_object()) return Refuse(response, 400, "the body is no JSON object");
                   ReplyJson(response, product_.RemoveSet(StringField(body, "name")));
                 }));
    server_.Post("/api/sets/replace", Locked([this](const httplib::Request& request, httplib::Response& response) {
                   const auto pictures = UploadsOf(request, "picture");
                   if (!pictures || pictures->size() != 1) return Refuse(response, 413, "one picture at a time");
                   ReplyJson(response, product_.ReplacePicture(request.get_file_value("set").content,
                                                               request.get_file_value("role").content,
                                                               pictures->front()));
                 }));
    server_.Get("/api/file", Locked([this](const httplib::Request& request, httplib::Response& response) {
                  const auto bytes = product_.FileBytes(request.get_param_value("path"));
                  if (!bytes) return Refuse(response, 404, bytes.error());
                  response.set_content(*bytes, "application/octet-stream");
                }));
    server_.Get("/api/frame", Locked([this](const httplib::Request& request, httplib::Response& response) {
                  const auto png = product_.Frame(request.get_param_value("size"));
                  if (!png) return Refuse(response, 422, png.error());
                  response.set_content(*png, "image/png");
                }));
    server_.Get("/api/dialog", Locked([this](const httplib::Request&, httplib::Response& response) {
                  ReplyJson(response, product_.Dialog());
                }));
    server_.Post("/api/build", Locked([this](const httplib::Request&, httplib::Response& response) {
                   SetStep("checking");
                   ReplyJson(response, product_.Build([this](std::string_view step) { SetStep(step); }));
                   SetStep("");
                 }));
    server_.Get("/api/build", [this](const httplib::Request&, httplib::Response& response) {
      const std::lock_guard lock(step_lock_);
      ReplyJson(response, {{"step", step_}});
    });
  }

  void SetStep(std::string_view step) {
    const std::lock_guard lock(step_lock_);
    step_ = std::string(step);
  }

  httplib::Server server_;
  StudioAddress address_;
  std::atomic<Clock::rep> last_request_{0};
  std::mutex product_lock_;
  StudioProduct product_;
  std::mutex step_lock_;
  std::string step_;
};

}  // namespace

Result<std::unique_ptr<StudioServer>, std::string> StudioServer::Bind(StudioFolders folders) {
  auto server = std::make_unique<Server>(std::move(folders), NewStudioToken());
  if (auto bound = server->Bind(); !bound) return Failure{bound.error()};
  return std::unique_ptr<StudioServer>(std::move(server));
}

}  // namespace ris::tool
