' The control from Wine's VBScript: creation by the versioned program id, the setters, an
' object for Object, and the error of an empty posted-files list through the [out] argument.
' (Wine's VBScript has no working GetRef, so script callbacks are checked from JScript, and a
' plain dispatch callback from the C++ tests.)
Option Explicit
Dim failures, uploader, page, files
failures = 0

Sub Check(ok, what)
    If Not ok Then
        WScript.Echo "FAIL: " & what
        failures = failures + 1
    End If
End Sub

Class PageObject
    Public Name
End Class

Set uploader = CreateObject("Korvel.Snapferry64.1")
Check uploader.Version = "2,7,90,31475", "Version is " & uploader.Version
Check uploader.Response = "", "Response before any post is [" & uploader.Response & "]"
uploader.PostUrl = "http://127.0.0.1:9/upload"
uploader.FileSizeLimit = 1048576
uploader.PostFileLimit = 5
uploader.ThumbnailWidth = 800
uploader.ThumbnailHeight = 600
uploader.JpegQuality = 90
uploader.Watermark = True
uploader.Debug = False
uploader.EncodeType = "utf-8"
uploader.FileFieldName = "img"
uploader.ImageUploadType = "jpg"
uploader.DefaultFolder = "C:\users"
uploader.AddField "album", "sea"
uploader.ClearFields

Set page = New PageObject
page.Name = "album"
On Error Resume Next
uploader.Object = page
Check Err.Number = 0, "Object = page failed with " & Hex(Err.Number)
Err.Clear
uploader.OnImagesPosted
Check Err.Number = 0, "OnImagesPosted without a callback failed with " & Hex(Err.Number)
Err.Clear
uploader.GetPostedFiles files
Check Err.Number = 5, "GetPostedFiles with nothing posted gave " & Err.Number
Err.Clear
On Error GoTo 0

If failures = 0 Then WScript.Echo "vbscript: all checks passed"
WScript.Quit failures
