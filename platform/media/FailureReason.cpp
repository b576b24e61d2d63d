#include "platform/media/FailureReason.h"

#include <curl/curl.h>

namespace platform::media {

namespace {

bool IsMissingStation(long httpStatus) {
    return httpStatus == 404 || httpStatus == 410;
}

// The HTTP status the source attached to its error; 0 when it attached none. libsoup 2 also
// puts its transport codes (below 100, such as "cannot resolve") in this field.
unsigned HttpStatusOf(const GstStructure* details) {
    guint status = 0;
    if (details && gst_structure_get_uint(details, "http-status-code", &status))
        return status;
    return 0;
}

std::optional<FailureKind> FromResourceError(int code, unsigned httpStatus) {
    switch (code) {
        case GST_RESOURCE_ERROR_NOT_FOUND:
            // The HTTP source reports both an unknown host and an HTTP 404 this way; only
            // the latter comes with a real HTTP status.
            if (httpStatus >= 100)
                return IsMissingStation(httpStatus) ? std::optional(FailureKind::StationNotFound)
                                                    : std::nullopt;
            return FailureKind::AddressNotFound;
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_READ:
        case GST_RESOURCE_ERROR_BUSY:
            // With an HTTP status the server did answer, just not with the station.
            if (httpStatus >= 100)
                return IsMissingStation(httpStatus) ? std::optional(FailureKind::StationNotFound)
                                                    : std::nullopt;
            return FailureKind::NoAnswer;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<FailureKind> FailureFromStreamError(const GError* error,
                                                  const GstStructure* details) {
    if (!error)
        return std::nullopt;
    if (error->domain == GST_RESOURCE_ERROR)
        return FromResourceError(error->code, HttpStatusOf(details));
    if (error->domain == GST_CORE_ERROR)
        return error->code == GST_CORE_ERROR_MISSING_PLUGIN ? std::optional(FailureKind::NotAudio)
                                                            : std::nullopt;
    if (error->domain == GST_STREAM_ERROR) {
        switch (error->code) {
            case GST_STREAM_ERROR_TYPE_NOT_FOUND:
            case GST_STREAM_ERROR_WRONG_TYPE:
            case GST_STREAM_ERROR_CODEC_NOT_FOUND:
            case GST_STREAM_ERROR_DECODE:
            case GST_STREAM_ERROR_DEMUX:
            case GST_STREAM_ERROR_FORMAT:
                return FailureKind::NotAudio;
            default:
                return std::nullopt;  // "streaming stopped": the cause lies elsewhere
        }
    }
    return std::nullopt;
}

std::optional<FailureKind> FailureFromFetch(int curlCode, long httpStatus) {
    switch (static_cast<CURLcode>(curlCode)) {
        case CURLE_OK:
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
            return FailureKind::AddressNotFound;
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            return FailureKind::NoAnswer;
        default:
            return std::nullopt;
    }
    if (IsMissingStation(httpStatus))
        return FailureKind::StationNotFound;
    return std::nullopt;
}

}  // namespace platform::media
