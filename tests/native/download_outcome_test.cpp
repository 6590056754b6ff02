#include "download/outcome.h"

#include <gtest/gtest.h>

using download::Failure;
using download::IsNonImageAnswer;

TEST(DownloadOutcome, ShortReasonsFitTheProgressColumn) {
    EXPECT_EQ(download::ShortReason(Failure::HttpStatus, 404), "404");
    EXPECT_EQ(download::ShortReason(Failure::Timeout), "超时");
    EXPECT_EQ(download::ShortReason(Failure::Certificate), "证书错误");
    EXPECT_EQ(download::ShortReason(Failure::Connect), "无法连接");
    EXPECT_EQ(download::ShortReason(Failure::NotImage), "不是图片");
    EXPECT_EQ(download::ShortReason(Failure::Cancelled), "已取消");
    EXPECT_EQ(download::ShortReason(Failure::None), "");
    // Every other reason is a few characters too: the column is 90 pixels wide.
    for (Failure f : {Failure::Redirects, Failure::NoName, Failure::Embedded, Failure::File,
                      Failure::NoWorker, Failure::Other}) {
        const std::string text = download::ShortReason(f);
        EXPECT_FALSE(text.empty());
        EXPECT_LE(text.size(), 15u) << text; // five characters of UTF-8
    }
}

TEST(DownloadOutcome, InternetErrorsByKind) {
    EXPECT_EQ(download::FailureOfInternetError(12002), Failure::Timeout);
    EXPECT_EQ(download::FailureOfInternetError(12029), Failure::Connect);
    EXPECT_EQ(download::FailureOfInternetError(12007), Failure::Connect);
    EXPECT_EQ(download::FailureOfInternetError(12045), Failure::Certificate);
    EXPECT_EQ(download::FailureOfInternetError(12057), Failure::Certificate);
    EXPECT_EQ(download::FailureOfInternetError(12156), Failure::Redirects);
    EXPECT_EQ(download::FailureOfInternetError(12017), Failure::Cancelled);
    EXPECT_EQ(download::FailureOfInternetError(5), Failure::Other);
    EXPECT_EQ(download::FailureOfInternetError(0), Failure::Other);
}

TEST(DownloadOutcome, PagesAreNoImages) {
    // By type, whatever the case and parameters.
    EXPECT_TRUE(IsNonImageAnswer("text/html", ""));
    EXPECT_TRUE(IsNonImageAnswer("Text/HTML; charset=utf-8", "GIF89a"));
    EXPECT_TRUE(IsNonImageAnswer(" application/json", ""));
    EXPECT_TRUE(IsNonImageAnswer("application/xhtml+xml", ""));
    EXPECT_FALSE(IsNonImageAnswer("text/htmlx", ""));
    EXPECT_FALSE(IsNonImageAnswer("image/png", ""));
    EXPECT_FALSE(IsNonImageAnswer("image/svg+xml", "<svg xmlns='http://www.w3.org/2000/svg'/>"));
    EXPECT_FALSE(IsNonImageAnswer("font/woff2", "wOF2"));
    EXPECT_FALSE(IsNonImageAnswer("", ""));
    // By the body's start, when the type says nothing or the wrong thing.
    EXPECT_TRUE(IsNonImageAnswer("image/gif", "<!DOCTYPE html><html>"));
    EXPECT_TRUE(IsNonImageAnswer("application/octet-stream", "\xEF\xBB\xBF \r\n\t<HTML lang=en>"));
    EXPECT_TRUE(IsNonImageAnswer("", "<head><title>404</title>"));
    EXPECT_TRUE(IsNonImageAnswer("", "<body>login"));
    EXPECT_TRUE(IsNonImageAnswer("", "<script>location='/'</script>"));
    EXPECT_FALSE(IsNonImageAnswer("", "<?xml version='1.0'?><svg/>"));
    EXPECT_FALSE(IsNonImageAnswer("", "<!-- made by a drawing program --><svg/>"));
    EXPECT_FALSE(IsNonImageAnswer("", "GIF89a<html>"));
    EXPECT_FALSE(IsNonImageAnswer("", "<htm"));
    EXPECT_FALSE(IsNonImageAnswer("", "x<html>"));
}

TEST(DownloadOutcome, OneLogLinePerRow) {
    EXPECT_EQ(download::LogLine(3, "404", "http://h/a.gif", "a.gif", "HTTP 404 Not Found"),
              "3\t404\ta.gif\thttp://h/a.gif\tHTTP 404 Not Found");
    EXPECT_EQ(download::LogLine(0, "ok", "http://h/a\r\nb.gif", "b.gif", ""),
              "0\tok\tb.gif\thttp://h/a  b.gif");
}
