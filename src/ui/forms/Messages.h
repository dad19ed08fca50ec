#pragma once
// The messages the product shows with CMessageDialog, with their titles (null: the dialog's
// default "提示消息").
namespace Messages {

struct Message {
    const wchar_t* title;
    const wchar_t* text;
};

inline constexpr Message kTooManySelected{L"提示信息", L"选择的图片数量超过限制"};
inline constexpr Message kCancelUpload{L"取消上传", L"照片正在上传中，确定取消上传吗？"};
inline constexpr Message kEmptyList{nullptr, L"上传列表为空，请选择文件"};
inline constexpr Message kFileTooLarge{nullptr, L"当前文件大小超过限制。请删除大图片。"};
inline constexpr Message kTooManyFiles{L"提示信息", L"文件数量超过限制"};
inline constexpr Message kEmptyAddress{nullptr, L"地址不能为空"};
// A web picture that could not be fetched, was refused by its server or is no picture.
inline constexpr Message kDownloadFailed{nullptr, L"图片下载失败"};

}  // namespace Messages
