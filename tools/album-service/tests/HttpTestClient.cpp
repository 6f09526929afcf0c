#include "tools/album-service/tests/HttpTestClient.h"

#include <memory>

namespace albumservice::tests {
namespace {

size_t AppendBody(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

size_t ReadHeader(char* data, size_t size, size_t count, void* target) {
  std::string line(data, size * count);
  auto* answer = static_cast<HttpAnswer*>(target);
  auto value = [&](const std::string& name) {
    std::string start = line.substr(0, name.size());
    for (char& c : start) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (start != name) return false;
    std::string rest = line.substr(name.size());
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) rest.pop_back();
    while (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
    if (name == "location:") answer->location = rest;
    if (name == "set-cookie:") answer->set_cookie = rest;
    return true;
  };
  value("location:") || value("set-cookie:");
  return size * count;
}

HttpAnswer Perform(const std::string& url, const std::string* body, const std::string& content_type) {
  HttpAnswer answer;
  std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
  curl_slist* headers = nullptr;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 30L);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer.body);
  curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, ReadHeader);
  curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &answer);
  if (body) {
    headers = curl_slist_append(headers, ("Content-Type: " + content_type).c_str());
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body->data());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
  }
  answer.error = curl_easy_perform(curl.get());
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &answer.status);
  char* type = nullptr;
  curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type);
  if (type) answer.content_type = type;
  curl_slist_free_all(headers);
  return answer;
}

}  // namespace

HttpAnswer Get(const std::string& url) { return Perform(url, nullptr, ""); }

HttpAnswer Post(const std::string& url, const std::string& body, const std::string& content_type) {
  return Perform(url, &body, content_type);
}

std::string MultipartBody(const std::vector<Part>& parts, const std::string& boundary) {
  if (parts.empty()) return "\r\n--" + boundary + "--\r\n";
  std::string body;
  for (const Part& part : parts) {
    body += "--" + boundary + "\r\n";
    if (part.filename.empty()) {
      body += "Content-Disposition: form-data; name=\"" + part.name + "\"\r\n\r\n";
    } else {
      body += "Content-Disposition: form-data; name=\"" + part.name + "\"; filename=\"" + part.filename +
              "\"\r\nContent-Type: " + part.mime + "\r\n\r\n";
    }
    body += part.content + "\r\n";
  }
  return body + "--" + boundary + "--\r\n";
}

std::string MultipartType(const std::string& boundary) { return "multipart/form-data; boundary=" + boundary; }

std::string FakeJpeg(size_t size, char seed) {
  std::string bytes = "\xFF\xD8\xFF\xE0";
  while (bytes.size() < size) bytes.push_back(static_cast<char>(seed + bytes.size() % 13));
  bytes.resize(size);
  return bytes;
}

}  // namespace albumservice::tests
