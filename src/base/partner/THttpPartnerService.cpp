#include "base/partner/THttpPartnerService.h"

#include <curl/curl.h>

#include <memory>
#include <sstream>

#include "base/util/Text.h"

namespace tavrek {
namespace {

struct TCurlGlobal {
    TCurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~TCurlGlobal() { curl_global_cleanup(); }
};

void EnsureCurlGlobal() { static TCurlGlobal global; }

struct TCurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct TAnswer {
    std::string Body;
    bool TooLong = false;
};

size_t Collect(char* data, size_t size, size_t count, void* target) {
    auto& answer = *static_cast<TAnswer*>(target);
    const size_t bytes = size * count;
    if (answer.Body.size() + bytes > THttpPartnerService::kMaxAnswerBytes) {
        answer.TooLong = true;
        return 0;
    }
    answer.Body.append(data, bytes);
    return bytes;
}

// A document number as one segment of a path.
std::string Escaped(const std::string& text) {
    std::unique_ptr<char, decltype(&curl_free)> escaped(
        curl_easy_escape(nullptr, text.c_str(), static_cast<int>(text.size())), &curl_free);
    return escaped ? std::string(escaped.get()) : text;
}

}  // namespace

THttpPartnerService::THttpPartnerService(const std::string& url, const std::string& userName,
                                         const std::string& password)
    : url_(Trim(url)), userName_(userName), password_(password) {
    const std::string lower = ToLowerAscii(url_);
    if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0)
        throw EPartnerError("Няма услуга за документи на адрес \"" + url + "\"");
    while (!url_.empty() && url_.back() == '/') url_.pop_back();
    EnsureCurlGlobal();
}

std::string THttpPartnerService::Request(const std::string& path, const std::string* body) {
    std::unique_ptr<CURL, TCurlDeleter> curl(curl_easy_init());
    if (!curl) throw EPartnerError("Връзката с услугата на доставчика не може да бъде подготвена");
    TAnswer answer;
    const std::string address = url_ + path;
    std::unique_ptr<curl_slist, TCurlDeleter> headers(curl_slist_append(nullptr, "Content-Type: text/plain"));
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl.get(), CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(curl.get(), CURLOPT_USERNAME, userName_.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PASSWORD, password_.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer);
    if (body != nullptr) {
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body->c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    }
    const CURLcode result = curl_easy_perform(curl.get());
    if (answer.TooLong) throw EPartnerError("Отговорът на услугата на доставчика е твърде голям");
    if (result != CURLE_OK)
        throw EPartnerError("Услугата на доставчика на адрес \"" + url_ + "\" не отговаря: " + curl_easy_strerror(result));
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status == 401 || status == 403)
        throw EPartnerRejected("Услугата на доставчика отказа достъп: грешно потребителско име или парола");
    if (status >= 300) {
        const std::string reason = Trim(answer.Body);
        throw EPartnerRejected(reason.empty() ? "Услугата на доставчика отказа заявката (код " + std::to_string(status) + ")"
                                              : reason);
    }
    return answer.Body;
}

std::vector<std::string> THttpPartnerService::DocumentNames() {
    std::istringstream list(Request("/documents", nullptr));
    std::vector<std::string> names;
    for (std::string line; std::getline(list, line);)
        if (!Trim(line).empty()) names.push_back(Trim(line));
    return names;
}

TUblInvoice THttpPartnerService::ReadDocument(const std::string& name) {
    return TUblInvoice::ReadText(Request("/documents/" + Escaped(name), nullptr), name);
}

std::string THttpPartnerService::SendDocument(const std::string& base64Text) {
    return Trim(Request("/orders", &base64Text));
}

}  // namespace tavrek
