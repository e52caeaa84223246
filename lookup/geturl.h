// One blocking HTTP GET: the whole reply body, whatever the status.
#pragma once

#include <cstddef>
#include <string>

namespace lookup {

// Limits of one fetch. The defaults are for the real service; tests shorten
// them so that a dead server costs seconds.
struct fetchoptions {
    long connecttimeout = 15;       // seconds to establish the connection
    long stalltime = 30;            // seconds below stallspeed end the transfer
    long stallspeed = 1;            // bytes per second
    long totaltimeout = 120;        // seconds for the whole transfer, however it trickles
    std::size_t maxbody = 4u << 20; // a longer body is cut off here (it then fails to parse)
    long maxredirects = 10;
};

// Fetches the URL: user agent "vorlinde", no header of our own, redirects
// followed, only http and https (also on redirects). Returns the body bytes
// (UTF-8 as the service sends it). Reports no failure: a refused, timed-out
// or forbidden request gives an empty or partial body.
std::string geturl(const std::u16string& url, const fetchoptions& options = {});

} // namespace lookup
