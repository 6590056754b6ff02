#include "download/outcome.h"

#include <array>
#include <cctype>

namespace download {

std::string ShortReason(Failure failure, unsigned long http_status) {
    switch (failure) {
    case Failure::None:
        return "";
    case Failure::HttpStatus:
        return std::to_string(http_status);
    case Failure::Timeout:
        return "超时";
    case Failure::Certificate:
        return "证书错误";
    case Failure::Connect:
        return "无法连接";
    case Failure::Redirects:
        return "重定向错误";
    case Failure::NotImage:
        return "不是图片";
    case Failure::Cancelled:
        return "已取消";
    case Failure::NoName:
        return "无文件名";
    case Failure::Embedded:
        return "内嵌图片";
    case Failure::File:
        return "无法保存";
    case Failure::NoWorker:
        return "无法启动";
    case Failure::Other:
        break;
    }
    return "失败";
}

Failure FailureOfInternetError(unsigned long code) {
    switch (code) {
    case 12002: // ERROR_INTERNET_TIMEOUT
        return Failure::Timeout;
    case 12007: // ERROR_INTERNET_NAME_NOT_RESOLVED
    case 12029: // ERROR_INTERNET_CANNOT_CONNECT
    case 12030: // ERROR_INTERNET_CONNECTION_ABORTED
    case 12031: // ERROR_INTERNET_CONNECTION_RESET
    case 12152: // ERROR_HTTP_INVALID_SERVER_RESPONSE
        return Failure::Connect;
    case 12017: // ERROR_INTERNET_OPERATION_CANCELLED
        return Failure::Cancelled;
    case 12156: // ERROR_HTTP_REDIRECT_FAILED
    case 12048: // ERROR_INTERNET_REDIRECT_SCHEME_CHANGE
        return Failure::Redirects;
    case 12037: // ERROR_INTERNET_SEC_CERT_DATE_INVALID
    case 12038: // ERROR_INTERNET_SEC_CERT_CN_INVALID
    case 12044: // ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED
    case 12045: // ERROR_INTERNET_INVALID_CA
    case 12055: // ERROR_INTERNET_SEC_CERT_ERRORS
    case 12056: // ERROR_INTERNET_SEC_CERT_NO_REV
    case 12057: // ERROR_INTERNET_SEC_CERT_REV_FAILED
    case 12157: // ERROR_INTERNET_SECURITY_CHANNEL_ERROR
    case 12169: // ERROR_INTERNET_SEC_INVALID_CERT
    case 12170: // ERROR_INTERNET_SEC_CERT_REVOKED
    case 12175: // ERROR_INTERNET_DECODING_FAILED (a TLS session that cannot be set up)
        return Failure::Certificate;
    default:
        return Failure::Other;
    }
}

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != prefix[i]) return false;
    return true;
}

} // namespace

bool IsNonImageAnswer(std::string_view content_type, std::string_view first_bytes) {
    std::string_view type = content_type.substr(0, content_type.find(';'));
    while (!type.empty() && (type.front() == ' ' || type.front() == '\t')) type.remove_prefix(1);
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t')) type.remove_suffix(1);
    static constexpr std::array<std::string_view, 3> kPageTypes = {
        "text/html", "application/xhtml+xml", "application/json"};
    for (std::string_view page : kPageTypes)
        if (type.size() == page.size() && StartsWithNoCase(type, page)) return true;

    std::string_view body = first_bytes;
    if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
    while (!body.empty() && (body.front() == ' ' || body.front() == '\t' || body.front() == '\r' ||
                             body.front() == '\n' || body.front() == '\f'))
        body.remove_prefix(1);
    // Not "<!--": SVG files often open with a comment.
    static constexpr std::array<std::string_view, 6> kPageStarts = {
        "<!doctype html", "<html", "<head", "<body", "<title", "<script"};
    for (std::string_view start : kPageStarts)
        if (StartsWithNoCase(body, start)) return true;
    return false;
}

std::string LogLine(int32_t row, std::string_view outcome, std::string_view address,
                    std::string_view file, std::string_view detail) {
    std::string line = std::to_string(row);
    line += '\t';
    line += outcome;
    line += '\t';
    line += file;
    line += '\t';
    line += address;
    if (!detail.empty()) {
        line += '\t';
        line += detail;
    }
    // One line per row whatever the address or the reason holds.
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

} // namespace download
