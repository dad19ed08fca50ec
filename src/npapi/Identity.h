#pragma once
// What the plug-in calls itself, in code; the version resource carries the same.
namespace PluginIdentity {
constexpr const char* kName = "npSnapferry";
constexpr const char* kMimeType = "application/npSnapferry";
// In the ANSI code page of the narrow build, as every text of this deliverable.
constexpr const char* kDescription = "Snapferry 网页图片上传控件";
}  // namespace PluginIdentity
