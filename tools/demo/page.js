// The demo page, written as a page that embeds the uploader would be: it configures the
// element named `uploader`, and its callbacks read the results. `visitor` stands in for the
// person at the page (drop photos, turn and caption one, press the post button).
// Arguments: the upload address, then the photos.
var album = { name: "海边 2024", owner: 7 };
var finished = false, failed = false;

// The ActiveX control hands back a safe array, the plug-in a script array.
function postedFiles() {
    var files = uploader.GetPostedFiles();
    try { return new VBArray(files).toArray(); } catch (e) { return files; }
}

uploader.PostUrl = visitor.argument(0);
uploader.EncodeType = "utf-8";
uploader.FileSizeLimit = 8 * 1024 * 1024;
uploader.PostFileLimit = 20;
uploader.ImageUploadType = "jpg";
uploader.ThumbnailWidth = 1024;
uploader.ThumbnailHeight = 768;
uploader.JpegQuality = 85;
uploader.AddField("album", album.name);
uploader.AddField("uid", "" + album.owner);
uploader.Object = album;
uploader.AfterImagesPosted = function (object) {
    visitor.print("AfterImagesPosted: Object is the album: " + (object === album));
    var files = postedFiles();
    visitor.print("GetPostedFiles: " + files.length + " file(s)");
    for (var i = 0; i < files.length; i++) visitor.print("  " + files[i]);
    finished = true;
};
uploader.OnError = function (object) {
    visitor.print("OnError: " + uploader.Response);
    failed = true;
};
visitor.print("uploader version " + uploader.Version);

visitor.shot("01-empty");
var photos = [];
for (var i = 1; i < visitor.argumentCount; i++) photos.push(visitor.argument(i));
visitor.drop(photos);
visitor.sleep(1500);
visitor.shot("02-dropped");
visitor.press("photo:1:rotateright");
visitor.press("photo:2:caption");
visitor.type("海边日落");
visitor.press("photo:2");
visitor.shot("03-edited");
visitor.press("post");
visitor.shot("04-posting");
if (!visitor.waitUntil(function () { return finished || failed; }, 60)) visitor.print("no callback within a minute");
visitor.shot("05-done");
visitor.print("Response: " + uploader.Response);
visitor.quit(finished ? 0 : 1);
