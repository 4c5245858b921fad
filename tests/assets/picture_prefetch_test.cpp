// Pictures decoded ahead on the worker: handed over only when they are what a
// decode on the spot would give now, otherwise left to the caller.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/picture_prefetch.h"
#include "tests/support/files.h"
#include "tests/support/test_pictures.h"

namespace {

constexpr int no_cap = 16384;

class PicturePrefetch : public ::testing::Test {
 protected:
  // The suite's pictures are written into a folder of its own, removed when
  // the program ends.
  static void SetUpTestSuite() {
    static const TempFolder folder("picture-prefetch");
    ASSERT_TRUE(folder.enter());
  }

  static PictureImage decoded_now(const char* path, int max_size) {
    PictureImage image;
    EXPECT_TRUE(load_picture_image(path, max_size, &image)) << path;
    return image;
  }
};

TEST_F(PicturePrefetch, HandsOverTheSameImageOnceForEachPicture) {
  ASSERT_TRUE(write_file("a.jpg", make_quadrant_jpeg(300, 200)));
  ASSERT_TRUE(write_file("b.jpg", make_photo_like_jpeg(800, 678)));
  ASSERT_TRUE(write_file("c.jpg", make_quadrant_jpeg(64, 64)));
  const char* paths[] = {"a.jpg", "b.jpg", "c.jpg"};
  errno = 0;
  const int caller_nice = getpriority(PRIO_PROCESS, 0);
  ASSERT_EQ(errno, 0);
  prefetch_pictures(paths, 3);

  // Taken out of order: the worker's order does not matter to the caller.
  for (const char* path : {"b.jpg", "a.jpg", "c.jpg"}) {
    SCOPED_TRACE(path);
    PictureImage image;
    ASSERT_TRUE(take_prefetched_picture(path, no_cap, &image));
    const PictureImage expected = decoded_now(path, no_cap);
    EXPECT_EQ(image.width, expected.width);
    EXPECT_EQ(image.height, expected.height);
    EXPECT_TRUE(image.rgba == expected.rgba) << "the prefetched texels differ from a decode now";
    EXPECT_FALSE(take_prefetched_picture(path, no_cap, &image)) << "handed over twice";
  }
  // The worker lowers only its own priority, never the caller's.
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), caller_nice);
}

TEST_F(PicturePrefetch, LeavesToTheCallerWhatItCannotVouchFor) {
  const std::vector<uint8_t> picture = make_quadrant_jpeg(800, 600);  // a 1024 x 512 texture
  struct Case {
    const char* name;
    const char* path;
    int max_size;
  };
  const Case cases[] = {
      {"missing file", "missing.jpg", no_cap},
      {"garbage", "garbage.jpg", no_cap},
      {"rewritten after the prefetch", "rewritten.jpg", no_cap},
      {"removed after the prefetch", "removed.jpg", no_cap},
      {"added after the prefetch", "added.jpg", no_cap},
      {"texture larger than the cap", "capped.jpg", 512},
      {"never prefetched", "other.jpg", no_cap},
      {"a URL", "http://127.0.0.1/picture.jpg", no_cap},
  };
  ASSERT_TRUE(write_file("garbage.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'}));
  for (const char* path : {"rewritten.jpg", "removed.jpg", "capped.jpg", "other.jpg"}) {
    ASSERT_TRUE(write_file(path, picture));
  }
  const char* paths[] = {"missing.jpg",
                         "garbage.jpg",
                         "rewritten.jpg",
                         "removed.jpg",
                         "added.jpg",
                         "capped.jpg",
                         "http://127.0.0.1/picture.jpg"};
  prefetch_pictures(paths, 7);
  // The worker goes in order: once the last one is done, every file has
  // been read and decoded, and only then do two of them change.
  PictureImage last;
  EXPECT_FALSE(take_prefetched_picture(paths[6], no_cap, &last));
  ASSERT_TRUE(write_file("rewritten.jpg", make_quadrant_jpeg(300, 200)));
  ASSERT_TRUE(write_file("added.jpg", picture));
  ASSERT_EQ(std::remove("removed.jpg"), 0);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureImage image;
    EXPECT_FALSE(take_prefetched_picture(c.path, c.max_size, &image));
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.rgba.empty());
  }
}

TEST_F(PicturePrefetch, ACapTheTextureFitsTakesThePrefetchedImage) {
  ASSERT_TRUE(write_file("fits.jpg", make_quadrant_jpeg(700, 600)));  // 512 x 512
  const char* paths[] = {"fits.jpg"};
  prefetch_pictures(paths, 1);
  PictureImage image;
  ASSERT_TRUE(take_prefetched_picture("fits.jpg", 600, &image));
  const PictureImage expected = decoded_now("fits.jpg", 600);
  EXPECT_EQ(image.width, 512);
  EXPECT_TRUE(image.rgba == expected.rgba);
}

TEST_F(PicturePrefetch, PathsKeepTheDirectoryTheyWerePrefetchedFrom) {
  ASSERT_TRUE(write_file("here.jpg", make_quadrant_jpeg(64, 64)));
  const char* paths[] = {"here.jpg"};
  prefetch_pictures(paths, 1);

  char first[4096];
  ASSERT_NE(getcwd(first, sizeof first), nullptr);
  const TempFolder second("picture-prefetch-other");
  ASSERT_TRUE(second.enter());
  ASSERT_TRUE(write_file("here.jpg", make_quadrant_jpeg(64, 64)));
  PictureImage image;
  EXPECT_FALSE(take_prefetched_picture("here.jpg", no_cap, &image)) << "same name, other directory";

  ASSERT_EQ(chdir(first), 0);
  EXPECT_TRUE(take_prefetched_picture("here.jpg", no_cap, &image));
}

TEST_F(PicturePrefetch, ANewPrefetchDropsWhatWasNotTaken) {
  ASSERT_TRUE(write_file("old.jpg", make_quadrant_jpeg(64, 64)));
  ASSERT_TRUE(write_file("new.jpg", make_quadrant_jpeg(32, 32)));
  const char* old_paths[] = {"old.jpg"};
  prefetch_pictures(old_paths, 1);
  const char* new_paths[] = {"new.jpg"};
  prefetch_pictures(new_paths, 1);
  PictureImage image;
  EXPECT_FALSE(take_prefetched_picture("old.jpg", no_cap, &image));
  EXPECT_TRUE(take_prefetched_picture("new.jpg", no_cap, &image));
  EXPECT_EQ(image.width, 32);
}

// The worker stays on after decoding to free what comes back; it must end
// whether everything came back, something never did, or nothing was taken,
// and a picture given back is gone from the caller's hands either way.
TEST_F(PicturePrefetch, GivenBackPicturesAreFreedAndTheWorkerAlwaysEnds) {
  ASSERT_TRUE(write_file("g1.jpg", make_quadrant_jpeg(64, 64)));
  ASSERT_TRUE(write_file("g2.jpg", make_quadrant_jpeg(32, 32)));
  const char* paths[] = {"g1.jpg", "g2.jpg"};
  for (int kept : {0, 1, 2}) {
    SCOPED_TRACE(kept);
    prefetch_pictures(paths, 2);
    PictureImage images[2];
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(take_prefetched_picture(paths[i], no_cap, &images[i]));
    for (int i = kept; i < 2; ++i) {
      give_back_prefetched_picture(&images[i]);
      EXPECT_TRUE(images[i].rgba.empty());
      EXPECT_EQ(images[i].width, 0);
    }
    // A picture never given back is still whole.
    for (int i = 0; i < kept; ++i)
      EXPECT_EQ(images[i].rgba.size(), static_cast<size_t>(images[i].width) * images[i].height * 4);
  }
  // Given back with no picture outstanding, it is freed on the spot.
  PictureImage stray = decoded_now("g1.jpg", no_cap);
  give_back_prefetched_picture(&stray);
  EXPECT_TRUE(stray.rgba.empty());
  prefetch_pictures(paths, 0);
}

}  // namespace
