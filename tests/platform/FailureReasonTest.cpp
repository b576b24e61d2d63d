// The reasons a listener is given for a failed start, told from error codes alone. Tests of
// what cannot be staged locally without a name lookup leaving the machine (an unknown host)
// live here; the others also run against real servers in the player's integration tests.

#include "platform/media/FailureReason.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <optional>

using platform::media::FailureFromFetch;
using platform::media::FailureFromStreamError;
using platform::media::FailureKind;
using platform::media::StreamError;
using namespace platform::media::error_code;

namespace {

constexpr auto kCore = StreamError::Domain::Core;
constexpr auto kResource = StreamError::Domain::Resource;
constexpr auto kStream = StreamError::Domain::Stream;

StreamError Error(StreamError::Domain domain, int code, unsigned httpStatus = 0) {
    return {domain, code, httpStatus, "any text: only the code counts", false};
}

std::optional<FailureKind> FromError(StreamError::Domain domain, int code,
                                     unsigned httpStatus = 0) {
    return FailureFromStreamError(Error(domain, code, httpStatus));
}

}  // namespace

TEST(FailureReason, HttpSourceErrors) {
    // An unknown host and an HTTP 404 share one code; only the 404 carries an HTTP status.
    EXPECT_EQ(FromError(kResource, kNotFound), FailureKind::AddressNotFound);
    EXPECT_EQ(FromError(kResource, kNotFound, 2), FailureKind::AddressNotFound)
        << "libsoup 2's transport code for a failed name lookup";
    EXPECT_EQ(FromError(kResource, kNotFound, 404), FailureKind::StationNotFound);
    EXPECT_EQ(FromError(kResource, kOpenRead, 410), FailureKind::StationNotFound);
    EXPECT_EQ(FromError(kResource, kOpenRead), FailureKind::NoAnswer);
    EXPECT_EQ(FromError(kResource, kRead), FailureKind::NoAnswer);
    // The server answered, only not with the station: no reason is better than a wrong one.
    EXPECT_EQ(FromError(kResource, kOpenRead, 503), std::nullopt);
    EXPECT_EQ(FromError(kResource, kNotAuthorized, 401), std::nullopt);
}

TEST(FailureReason, ContentThatIsNotAudio) {
    EXPECT_EQ(FromError(kCore, kMissingPlugin), FailureKind::NotAudio);
    for (int code : {kTypeNotFound, kWrongType, kCodecNotFound, kDecode, kDemux, kFormat})
        EXPECT_EQ(FromError(kStream, code), FailureKind::NotAudio) << code;
    // "Streaming stopped" follows any source failure and says nothing of its cause.
    EXPECT_EQ(FromError(kStream, kFailed), std::nullopt);
    EXPECT_EQ(FromError(kCore, kStateChange), std::nullopt);
    EXPECT_EQ(FailureFromStreamError(StreamError{}), std::nullopt) << "no error information";
}

TEST(FailureReason, OnlyContentTroubleSuggestsAPlaylistUnderTheAddress) {
    using platform::media::MayMeanPlaylist;
    EXPECT_TRUE(MayMeanPlaylist(Error(kStream, kTypeNotFound)));
    EXPECT_TRUE(MayMeanPlaylist(Error(kStream, kFailed)));
    EXPECT_TRUE(MayMeanPlaylist(Error(kCore, kMissingPlugin)));
    EXPECT_FALSE(MayMeanPlaylist(Error(kCore, kStateChange)));
    EXPECT_FALSE(MayMeanPlaylist(Error(kResource, kNotFound, 404)));
}

TEST(FailureReason, PlaylistReads) {
    EXPECT_EQ(FailureFromFetch(CURLE_COULDNT_RESOLVE_HOST, 0), FailureKind::AddressNotFound);
    EXPECT_EQ(FailureFromFetch(CURLE_COULDNT_CONNECT, 0), FailureKind::NoAnswer);
    EXPECT_EQ(FailureFromFetch(CURLE_OPERATION_TIMEDOUT, 0), FailureKind::NoAnswer);
    EXPECT_EQ(FailureFromFetch(CURLE_GOT_NOTHING, 0), FailureKind::NoAnswer);
    EXPECT_EQ(FailureFromFetch(CURLE_OK, 404), FailureKind::StationNotFound);
    EXPECT_EQ(FailureFromFetch(CURLE_OK, 410), FailureKind::StationNotFound);
    EXPECT_EQ(FailureFromFetch(CURLE_OK, 500), std::nullopt);
    EXPECT_EQ(FailureFromFetch(CURLE_ABORTED_BY_CALLBACK, 0), std::nullopt) << "stopped by us";
}
