#include "tennis/TennisPlayerHolder.h"

#include <vector>

#include "engine/AnimatedGroup.h"

namespace {

void moveChildren(SceneNode& from, SceneNode& to) {
  // Copied first: removing a child changes the list being walked.
  const std::vector<std::shared_ptr<SceneNode>> children(from.children().begin(), from.children().end());
  for (const auto& child : children) {
    from.removeChild(child.get());
    to.addChild(child);
  }
}

}  // namespace

int holderPlayerIndex(const std::string& name) {
  const size_t close = name.rfind(']');
  if (close == std::string::npos || close == 0) return -1;
  const char digit = name[close - 1];
  return digit >= '0' && digit <= '9' ? digit - '0' : -1;
}

TennisPlayerHolder::TennisPlayerHolder(std::shared_ptr<TennisPlayer> player) : heldPlayer(std::move(player)) {
  if (heldPlayer) moveChildren(*heldPlayer, *this);
}

void TennisPlayerHolder::update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) {
  const AnimatedGroup* group = nullptr;
  for (SceneNode* up = parent(); up && !group; up = up->parent()) group = dynamic_cast<const AnimatedGroup*>(up);
  // The path stops at the end of its clip.
  if (group && group->timeBeyondEnd(1) > 0) {
    const int64_t overrun = group->timeBeyondEnd(1);
    timeMs = overrun < int64_t(timeMs) ? timeMs - static_cast<uint32_t>(overrun) : 0;
  }
  SceneObject::update(timeMs, parentWorld, animationIndex);
  if (animationIndex) *animationIndex = world == previousWorld ? ClipStanding : ClipWalking;
  previousWorld = world;
}

void TennisPlayerHolder::giveModelBack() {
  if (heldPlayer) moveChildren(*this, *heldPlayer);
}

PlayerHolderReader::PlayerHolderReader(const std::string& path, std::vector<std::shared_ptr<TennisPlayer>> players,
                                       std::shared_ptr<TextureFactory> textures)
    : AseReader(path, std::move(textures)), players(std::move(players)) {}

std::string PlayerHolderReader::readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) {
  std::string name = AseReader::readNodeName(tokens, object);
  if (name.rfind(kPlayerHolderPrefix, 0) == 0) {
    const int i = holderPlayerIndex(name);
    if (i >= 0 && i < static_cast<int>(players.size()) && players[i]) {
      object = std::make_shared<TennisPlayerHolder>(players[i]);
    }
  }
  return name;
}
