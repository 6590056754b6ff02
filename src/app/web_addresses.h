#pragma once
// The outside web pages the program shows or opens, kept together.

// Shown in the small panel of step four while a download run goes on.
constexpr const char kProductPageUrl[] = "http://www.corvane.example.com/product/";
// The guest book shown on the feedback page.
constexpr const char kGuestBookUrl[] = "http://www.corvane.example.com/guestbook/";
// The discussion board, opened in the user's own browser from the feedback page.
constexpr const char kDiscussionBoardUrl[] = "http://bbs.corvane.example.com/";
