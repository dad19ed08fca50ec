// Every member of the control from Wine's JScript, the way a page's script uses it.
// Prints one line per failed check and quits with the number of failures.
var failures = 0;
function check(ok, what) {
    if (!ok) { WScript.Echo("FAIL: " + what); failures++; }
}
function hresult(e) { return (e.number >>> 0).toString(16); }

try {
    var uploader = new ActiveXObject("Korvel.Snapferry64");
    check(uploader.Version === "2,7,90,31475", "Version is " + uploader.Version);
    check(uploader.Response === "", "Response before any post is [" + uploader.Response + "]");

    // Every setter takes its value without complaint.
    uploader.FileSizeLimit = 2097152;
    uploader.Debug = false;
    uploader.LogFile = "C:\\windows\\temp\\snapferry-script.log";
    uploader.PostUrl = "http://127.0.0.1:9/upload";
    uploader.PostFileLimit = 20;
    uploader.ThumbnailWidth = 1024;
    uploader.ThumbnailHeight = 768;
    uploader.Watermark = false;
    uploader.FileFieldName = "photo";
    uploader.EncodeType = "GB2312";
    uploader.ImageUploadType = "png";
    uploader.JpegQuality = 75;
    uploader.DefaultFolder = "C:\\users";
    uploader.AddField("album", "海边");
    uploader.AddField("uid", "7");
    uploader.ClearFields();

    // Values out of an unsigned 16-bit range are refused by the dispatcher.
    try { uploader.JpegQuality = 70000; check(false, "JpegQuality = 70000 accepted"); }
    catch (e) { check(hresult(e) === "8002000a", "JpegQuality = 70000 gave " + hresult(e)); }

    // Nothing posted yet: E_INVALIDARG.
    try { uploader.GetPostedFiles(); check(false, "GetPostedFiles with nothing posted succeeded"); }
    catch (e) { check(hresult(e) === "80070057", "GetPostedFiles with nothing posted gave " + hresult(e)); }

    // No callbacks set: calling them does nothing and fails nothing.
    uploader.OnImagesPosted();
    uploader.FireOnError();

    var page = { name: "album page" };
    var calls = [];
    uploader.Object = page;
    uploader.AfterImagesPosted = function (object) { calls.push(["after", object === page, arguments.length]); };
    uploader.OnError = function (object) { calls.push(["error", object === page, arguments.length]); };
    uploader.OnImagesPosted();
    uploader.FireOnError();
    check(calls.length === 2, "callbacks made: " + calls.length);
    check(calls[0] && calls[0][0] === "after" && calls[0][1] && calls[0][2] === 1,
          "AfterImagesPosted got " + calls[0]);
    check(calls[1] && calls[1][0] === "error" && calls[1][1] && calls[1][2] === 1, "OnError got " + calls[1]);

    // A new callback replaces the old one.
    var later = 0;
    uploader.AfterImagesPosted = function (object) { later++; check(object === page, "Object after replacing"); };
    uploader.OnImagesPosted();
    check(later === 1 && calls.length === 2, "replaced callback: " + later + ", old ones " + calls.length);

    // Unknown members are script errors.
    try { uploader.NoSuchThing(); check(false, "unknown method accepted"); }
    catch (e) { check(true, ""); }
} catch (e) {
    WScript.Echo("FAIL: unexpected error " + hresult(e) + " " + e.description);
    failures++;
}
if (failures === 0) WScript.Echo("jscript: all checks passed");
WScript.Quit(failures);
