#pragma once
// Why a download failed, told in a few characters in its row and in full in the run's log.
// Texts are UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

namespace download {

enum class Failure {
    None,
    HttpStatus,  // an answer outside 2xx: its number is the reason
    Timeout,     // no answer, a stalled transfer, or the image's overall deadline passed
    Certificate, // the https certificate was refused
    Connect,     // the host could not be found or reached, or the connection broke
    Redirects,   // too many redirects, or a redirect the transfer cannot follow
    NotImage,    // a 2xx answer that is a page, not an image
    Cancelled,   // the run was stopped
    NoName,      // the address has no file name (it ends with "/")
    Embedded,    // a data: reference: the image is in the stylesheet, nothing to fetch
    File,        // the image could not be saved in the folder
    NoWorker,    // the download could not be started
    Other,
};

// The progress column's text: "404", "超时", "证书错误", "无法连接", "不是图片", "已取消", ...
std::string ShortReason(Failure failure, unsigned long http_status = 0);

// The failure a WinINet error code stands for (codes 12001 to 12175; others are Other).
Failure FailureOfInternetError(unsigned long code);

// A 2xx answer that is no image: text/html, application/xhtml+xml or application/json as its
// type (any letter case, parameters ignored), or a body that starts like an HTML page (after
// white space and a UTF-8 byte-order mark: "<!doctype html", "<html", "<head", "<body",
// "<title", "<script", in any letter case). SVG ("<?xml", "<svg"), fonts, images and
// answers of any other type are images.
bool IsNonImageAnswer(std::string_view content_type, std::string_view first_bytes);

// One line of the run's log, without its line break: row, outcome ("完成" or the short
// reason), the file written and the address, tab-separated, then the full reason of a failure
// when there is one. Line breaks inside become spaces. All in one encoding, the caller's.
std::string LogLine(int32_t row, std::string_view outcome, std::string_view address,
                    std::string_view file, std::string_view detail);

} // namespace download
