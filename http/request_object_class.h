// The automation class "WinHttp.WinHttpRequest.5.1": an HTTP request object, synchronous
// or asynchronous, driven by member name. On Windows it is the platform's own; elsewhere a
// native class over the same transfer as the request engine, which behaves as described
// here.
//
// Members: SetTimeouts(resolve, connect, send, receive) in ms; SetProxy(setting [, server
// [, bypass]]) where setting 2 names a proxy "host:port"; Open(verb, url [, async]);
// Option(index) = value (6 enables redirects; 4, the certificate errors to ignore, is
// recorded but certificates are always verified); SetCredentials(user, password, flags)
// with flags 0 server, 1 proxy; SetRequestHeader(name, value); Send([body]) with a text
// (sent as its GBK bytes) or a byte array, which returns at once after an asynchronous
// Open; WaitForResponse([seconds]) (true once the response is in, false when the time ran
// out; the exchange's failure fails the call); Abort() (ends an exchange in flight);
// ResponseBody (byte array); GetAllResponseHeaders() (the header lines after the status
// line, each ending in CRLF, then an empty line); Status.
#pragma once

namespace velmora {

inline constexpr const char* winhttp_request_prog_id = "WinHttp.WinHttpRequest.5.1";

// Makes the class available to create_object, once per process; later calls do nothing.
// Call before the first create_object of it.
void register_winhttp_request_class();

}  // namespace velmora
