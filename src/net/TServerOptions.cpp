#include "net/TServerOptions.h"

#include <charconv>

namespace tavrek::net {
namespace {

TServerOptions Refused(TServerOptions options, const std::string& error) {
    options.Error = error;
    return options;
}

bool ReadPositive(const std::string& text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0;
}

}  // namespace

TServerOptions ParseServerOptions(const std::vector<std::string>& args) {
    TServerOptions options;
    std::string listen;
    size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        const std::string& name = args[i];
        if (name == "--scenario-checks") {
            options.Service.ScenarioSql = true;
            continue;
        }
        if (i + 1 >= args.size()) return Refused(options, "Липсва стойност след " + name);
        const std::string& value = args[++i];
        int number = 0;
        if (name == "--listen") listen = value;
        else if (name == "--tls-cert") options.TlsCert = value;
        else if (name == "--tls-key") options.TlsKey = value;
        else if (name == "--max-calls" && ReadPositive(value, number)) options.Service.MaxCalls = number;
        else if (name == "--session-idle" && ReadPositive(value, number)) options.Service.SessionIdle = std::chrono::seconds(number);
        else if (name == "--max-calls" || name == "--session-idle") return Refused(options, name + " иска цяло положително число");
        else return Refused(options, "Непознат параметър: " + name);
    }
    if (i + 1 != args.size()) return Refused(options, "Посочете една фирма: файл или postgresql:// адрес");
    options.Service.Company = args[i];
    const std::optional<TNetAddress> address = TNetAddress::Parse(listen);
    if (!address) return Refused(options, listen.empty() ? "Посочете --listen ХОСТ:ПОРТ" : "Неверен адрес: " + listen);
    options.Listen = *address;
    if (options.TlsCert.empty() != options.TlsKey.empty())
        return Refused(options, "--tls-cert и --tls-key се дават заедно");
    options.Service.Tls = !options.TlsCert.empty();
    if (!options.Service.Tls && !options.Listen.IsLoopback())
        return Refused(options, "Без TLS сървърът слуша само на адрес на същата машина (127.0.0.1, ::1, localhost); "
                                "за " + options.Listen.Host + " дайте --tls-cert и --tls-key");
    return options;
}

}  // namespace tavrek::net
