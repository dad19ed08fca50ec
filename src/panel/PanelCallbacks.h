#pragma once
// How a panel reaches its page. Each host implements it: the ActiveX control calls the page's
// script functions through COM, the NPAPI plug-in through the browser. The panel calls these
// on its window thread (the page's thread), while the upload worker that finished the run
// has already handed over and waits for nothing.
class PanelCallbacks {
public:
    // A run is starting (the ActiveX control readies the way its callbacks will come back).
    virtual void OnRunStarting() {}
    // The run is complete: call AfterImagesPosted with Object.
    virtual void OnImagesPosted() = 0;
    // A photo failed: call OnError with Object (and the transfer's error code where the
    // binding passes one; 0 when the failure was not the transfer's).
    virtual void FireOnError(int errorCode) = 0;
    // False once the page is leaving: a run cut off by the panel's window going then ends
    // without a word to it.
    virtual bool PageListens() const { return true; }

protected:
    ~PanelCallbacks() = default;
};
