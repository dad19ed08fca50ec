#pragma once
// WinINet through the product's text type: the ActiveX control calls the wide entry points,
// the plug-in the ANSI ones. Handles come back raw and are owned by the caller at once.
#include <windows.h>
#include <wininet.h>

#include "platform/Text.h"

namespace Network::Inet {

HINTERNET Open(const TChar* agent, DWORD flags);
HINTERNET Connect(HINTERNET internet, const TString& host, INTERNET_PORT port);
HINTERNET OpenRequest(HINTERNET connection, const TChar* verb, const TString& path, DWORD flags);
HINTERNET OpenUrl(HINTERNET internet, const TString& url, DWORD flags, DWORD_PTR context);
BOOL SendRequestEx(HINTERNET request, const TString& headers, DWORD bodyLength);
BOOL EndRequest(HINTERNET request);
INTERNET_STATUS_CALLBACK SetStatusCallback(HINTERNET internet, INTERNET_STATUS_CALLBACK callback);
// Connecting gives up after connectMs; sending and each wait for received data after idleMs.
void SetTimeouts(HINTERNET handle, DWORD connectMs, DWORD idleMs);

// A header as a number (HTTP_QUERY_FLAG_NUMBER is added).
bool QueryNumber(HINTERNET request, DWORD info, DWORD& value);
// A header as text into a buffer of at most capacity characters, as the server sent it.
bool QueryText(HINTERNET request, DWORD info, DWORD capacity, TString& text);
// The whole raw header block, however long it is.
bool QueryRawHeaders(HINTERNET request, TString& text);

}  // namespace Network::Inet

namespace Network::Inet {
// A line for a debugger's console.
void DebugOut(const TString& text);
}  // namespace Network::Inet
