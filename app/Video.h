#pragma once

#include <string>

/// The full path of `program` found on PATH, or an empty string.
std::string FindOnPath(const std::string& program);

/// Joins the pictures `pattern` (printf style, "shots/seek.%04d.png") of
/// frames `first` to `first + count - 1` into an H.264 MP4 at `fps` with
/// ffmpeg, found at `ffmpeg`. The video is written under a temporary name
/// and renamed when ffmpeg succeeds, so a failed or interrupted encode
/// leaves no half-written video. `error` says what failed.
bool EncodeVideo(const std::string& ffmpeg, const std::string& pattern, int first, int count, double fps,
                 const std::string& path, std::string& error);
