// A page whose upload cannot reach its server: the page's OnError is called, and Response
// says why. Argument: the address, then a photo.
var calls = 0, count = -1;
uploader.PostUrl = visitor.argument(0);
uploader.Object = { page: "errors" };
uploader.OnError = function () { calls++; count = arguments.length; };
visitor.drop(visitor.argument(1));
visitor.sleep(500);
visitor.press("post");
visitor.waitUntil(function () { return calls > 0; }, 60);
visitor.print("OnError calls " + calls + ", arguments " + count);
visitor.quit(calls === 1 ? 0 : 1);
