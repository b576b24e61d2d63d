#include "platform/media/FailureReason.h"

#include <curl/curl.h>

namespace platform::media {

namespace {

bool IsMissingStation(long httpStatus) {
    return httpStatus == 404 || httpStatus == 410;
}

std::optional<FailureKind> FromResourceError(int code, unsigned httpStatus) {
    switch (code) {
        case error_code::kNotFound:
            // The HTTP source reports both an unknown host and an HTTP 404 this way; only
            // the latter comes with a real HTTP status.
            if (httpStatus >= 100)
                return IsMissingStation(httpStatus) ? std::optional(FailureKind::StationNotFound)
                                                    : std::nullopt;
            return FailureKind::AddressNotFound;
        case error_code::kOpenRead:
        case error_code::kRead:
        case error_code::kBusy:
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

std::optional<FailureKind> FailureFromStreamError(const StreamError& error) {
    using Domain = StreamError::Domain;
    switch (error.domain) {
        case Domain::Resource:
            return FromResourceError(error.code, error.httpStatus);
        case Domain::Core:
            return error.code == error_code::kMissingPlugin ? std::optional(FailureKind::NotAudio)
                                                            : std::nullopt;
        case Domain::Stream:
            switch (error.code) {
                case error_code::kTypeNotFound:
                case error_code::kWrongType:
                case error_code::kCodecNotFound:
                case error_code::kDecode:
                case error_code::kDemux:
                case error_code::kFormat:
                    return FailureKind::NotAudio;
                default:
                    return std::nullopt;  // "streaming stopped": the cause lies elsewhere
            }
        default:
            return std::nullopt;
    }
}

bool MayMeanPlaylist(const StreamError& error) {
    return error.domain == StreamError::Domain::Stream ||
           (error.domain == StreamError::Domain::Core && error.code == error_code::kMissingPlugin);
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
