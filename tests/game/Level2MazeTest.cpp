#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "BoilerTimer.h"
#include "Level2TestSupport.h"
#include "display/Sprite.h"
#include "world/utility.h"

namespace {

using level2_test::VentsFixture;

const std::array<const char *, 4> PICTURES = {"v_prisoner_up", "v_prisoner_down", "v_prisoner_left",
                                              "v_prisoner_right"};

struct Move {
    int dx;
    int dy;
    int picture; // index into PICTURES the prisoner turns to, or -1 to keep the one shown
};

const std::vector<Move> STRAIGHT = {{0, -1, 0}, {0, 1, 1}, {-1, 0, 2}, {1, 0, 3}};
const std::vector<Move> ALL_WAYS = {{0, -1, 0},   {0, 1, 1},   {-1, 0, 2},  {1, 0, 3},
                                    {-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1}};

struct Crawl {
    int moves = -1;                               // -1 when the exit cannot be reached
    std::vector<std::tuple<int, int, int>> cells; // (x, y, picture) from the start to the cell the exit is touched from
    std::vector<Move> taken;
};

// Breadth-first search over whole-cell moves with the prisoner's real boxes and the world's own collision query:
// a move is tried only inside the prisoner's band, with the box of the picture shown, it is refused by any HARD
// object, it touches the exit whenever the exit is among the collisions, and the picture then turns as the
// prisoner turns it.
Crawl shortestCrawl(nv::Object *p_prisoner, const nv::Object *p_exit, const std::vector<Move> &moves) {
    nv::WorldManager &world_manager = nv::WorldManager::getInstance();
    const nv::Box boundary = world_manager.getBoundary();
    const nv::Vector start = p_prisoner->getPosition();
    using State = std::tuple<int, int, int>;
    std::map<State, std::pair<State, int>> came_from;
    std::deque<State> queue;
    const State first{static_cast<int>(start.getX()), static_cast<int>(start.getY()), 0};
    came_from[first] = {first, -1};
    queue.push_back(first);
    Crawl result;
    while (!queue.empty() && result.moves < 0) {
        const State here = queue.front();
        queue.pop_front();
        const auto [x, y, picture] = here;
        p_prisoner->setSprite(PICTURES[static_cast<size_t>(picture)]);
        p_prisoner->setPosition(nv::Vector(static_cast<float>(x), static_cast<float>(y)));
        for (size_t m = 0; m < moves.size(); m++) {
            const Move &move = moves[m];
            const int tx = x + move.dx;
            const int ty = y + move.dy;
            int nx = x;
            int ny = y;
            bool exit_touched = false;
            if (ty > 3 && static_cast<float>(ty) < boundary.getVertical() && tx > 3 &&
                static_cast<float>(tx) < boundary.getHorizontal()) {
                bool hard = false;
                nv::ObjectList hits = world_manager.getCollisions(p_prisoner, nv::Vector(tx, ty));
                for (nv::ObjectListIterator it(&hits); !it.isDone(); it.next()) {
                    hard = hard || it.currentObject()->getSolidness() == nv::HARD;
                    exit_touched = exit_touched || it.currentObject() == p_exit;
                }
                if (!hard) {
                    nx = tx;
                    ny = ty;
                }
            }
            const State next{nx, ny, move.picture < 0 ? picture : move.picture};
            if (exit_touched) {
                std::vector<State> back{here};
                std::vector<Move> taken{move};
                for (State s = here; std::get<1>(came_from[s]) >= 0; s = came_from[s].first) {
                    taken.insert(taken.begin(), moves[static_cast<size_t>(came_from[s].second)]);
                    back.insert(back.begin(), came_from[s].first);
                }
                result.cells = back;
                result.taken = taken;
                result.moves = static_cast<int>(taken.size());
                break;
            }
            if (came_from.find(next) == came_from.end()) {
                came_from[next] = {here, static_cast<int>(m)};
                queue.push_back(next);
            }
        }
    }
    p_prisoner->setSprite(PICTURES[0]);
    p_prisoner->setPosition(start);
    return result;
}

int turnsOf(const std::vector<Move> &taken) {
    int turns = 0;
    for (size_t i = 1; i < taken.size(); i++) {
        if (taken[i].dx != taken[i - 1].dx || taken[i].dy != taken[i - 1].dy) {
            turns++;
        }
    }
    return turns;
}

// Side branches of a section: the regions the prisoner can reach that are cut off from the exit once the cells of
// the shortest route are taken away. Tiny nooks of fewer than four cells do not count.
int deadEnds(nv::Object *p_prisoner, const Crawl &route) {
    nv::WorldManager &world_manager = nv::WorldManager::getInstance();
    auto open = [&](int x, int y) {
        if (x <= 3 || y <= 3 || x >= 80 || y >= 24) {
            return false;
        }
        nv::ObjectList hits = world_manager.getCollisions(p_prisoner, nv::Vector(x, y));
        for (nv::ObjectListIterator it(&hits); !it.isDone(); it.next()) {
            if (it.currentObject()->getSolidness() == nv::HARD) {
                return false;
            }
        }
        return true;
    };
    using Cell = std::pair<int, int>;
    std::set<Cell> on_route;
    for (const auto &[x, y, picture] : route.cells) {
        on_route.insert({x, y});
    }
    const auto &[last_x, last_y, last_picture] = route.cells.back();
    const Cell touching{last_x + route.taken.back().dx, last_y + route.taken.back().dy};
    std::set<Cell> seen(on_route);
    int branches = 0;
    for (const Cell &path_cell : on_route) {
        for (const Move &side : STRAIGHT) {
            const Cell first{path_cell.first + side.dx, path_cell.second + side.dy};
            if (seen.count(first) != 0 || !open(first.first, first.second)) {
                continue;
            }
            seen.insert(first);
            std::deque<Cell> queue{first};
            int size = 0;
            bool reaches_exit = false;
            while (!queue.empty()) {
                const Cell cell = queue.front();
                queue.pop_front();
                size++;
                reaches_exit = reaches_exit || cell == touching;
                for (const Move &move : STRAIGHT) {
                    const Cell next{cell.first + move.dx, cell.second + move.dy};
                    if (seen.count(next) == 0 && open(next.first, next.second)) {
                        seen.insert(next);
                        queue.push_back(next);
                    }
                }
            }
            branches += size >= 4 && !reaches_exit ? 1 : 0;
        }
    }
    return branches;
}

class VentsMazeTest : public VentsFixture {
protected:
    struct Section {
        Crawl straight;
        Crawl any_way;
        int dead_ends = 0;
    };

    Section measure() {
        Section section;
        nv::Object *p_prisoner = only("Prisoner");
        nv::Object *p_exit = only("Exit");
        EXPECT_NE(p_prisoner, nullptr);
        EXPECT_NE(p_exit, nullptr);
        if (p_prisoner == nullptr || p_exit == nullptr) {
            return section;
        }
        section.straight = shortestCrawl(p_prisoner, p_exit, STRAIGHT);
        section.any_way = shortestCrawl(p_prisoner, p_exit, ALL_WAYS);
        section.dead_ends = section.straight.moves > 0 ? deadEnds(p_prisoner, section.straight) : 0;
        return section;
    }

    // Crawls a found route with real moves, so the section ends the way a player ends it.
    void crawlOut(const Crawl &crawl) {
        nv::Object *p_prisoner = only("Prisoner");
        ASSERT_NE(p_prisoner, nullptr);
        for (size_t i = 0; i < crawl.taken.size(); i++) {
            const auto [x, y, picture] = crawl.cells[i];
            p_prisoner->setSprite(PICTURES[static_cast<size_t>(picture)]);
            const nv::Vector target(x + crawl.taken[i].dx, y + crawl.taken[i].dy);
            nv::WorldManager::getInstance().moveObject(p_prisoner, target);
        }
        step();
    }
};

TEST_F(VentsMazeTest, EveryVentsSpriteFileLoadsAndThePrisonerPicturesCanTouchTheExitOfSectionOne) {
    for (const char *label : PICTURES) {
        const nv::Sprite *p_sprite = nv::ResourceManager::getInstance().getSprite(label);
        ASSERT_NE(p_sprite, nullptr) << label;
        EXPECT_GE(p_sprite->getWidth(), 2) << label << " could never reach column 3 from column 4";
        EXPECT_GT(p_sprite->getFrameCount(), 0) << label;
    }
}

TEST_F(VentsMazeTest, WallPiecesLieInsideAnEightyByTwentyFourWorld) {
    ASSERT_NE(enterLevel2(), nullptr);
    for (int section = 1; section <= 2; section++) {
        std::vector<nv::Object *> pieces = ofType("VentPart");
        ASSERT_EQ(pieces.size(), section == 1 ? 10u : 8u);
        for (const nv::Object *p_piece : pieces) {
            const nv::Box box = nv::worldBox(p_piece);
            EXPECT_GE(box.getCorner().getX(), 0.0f);
            EXPECT_GE(box.getCorner().getY(), 0.0f);
            EXPECT_LE(box.getCorner().getX() + box.getHorizontal(), 80.0f);
            EXPECT_LE(box.getCorner().getY() + box.getVertical(), 24.0f);
        }
        if (section == 1) {
            crawlOut(measure().straight);
        }
    }
}

TEST_F(VentsMazeTest, BothSectionsCanBeCrawledWellWithinTheBoiler) {
    Level2 *p_level = enterLevel2();
    ASSERT_NE(p_level, nullptr);

    const Section first = measure();
    ASSERT_GT(first.straight.moves, 0) << "section 1: the exit cannot be reached from the start";
    EXPECT_LE(first.any_way.moves, first.straight.moves);
    EXPECT_GE(turnsOf(first.straight.taken), 2) << "section 1 needs more than one turn";
    EXPECT_GE(first.dead_ends, 2) << "section 1 has fewer than two dead ends";

    crawlOut(first.straight);
    ASSERT_EQ(p_level->getSection(), 2) << "crawling the found route did not end section 1";
    ASSERT_EQ(ofType("Prisoner").size(), 1u);

    const Section second = measure();
    ASSERT_GT(second.straight.moves, 0) << "section 2: the exit cannot be reached from the start";
    EXPECT_LE(second.any_way.moves, second.straight.moves);
    EXPECT_GE(turnsOf(second.straight.taken), 2) << "section 2 needs more than one turn";
    EXPECT_GE(second.dead_ends, 2) << "section 2 has fewer than two dead ends";

    const int straight_total = first.straight.moves + second.straight.moves;
    const int any_way_total = first.any_way.moves + second.any_way.moves;
    const int crawl_ms = straight_total * 7 * 33;
    std::printf("shortest crawl: %d + %d = %d cells with single keys (%d ms), %d + %d = %d with diagonals (%d ms); "
                "boiler %d ms; dead ends %d and %d\n",
                first.straight.moves, second.straight.moves, straight_total, crawl_ms, first.any_way.moves,
                second.any_way.moves, any_way_total, any_way_total * 7 * 33, BOILER_TIME, first.dead_ends,
                second.dead_ends);
    EXPECT_LE(crawl_ms, BOILER_TIME / 2);

    crawlOut(second.straight);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    EXPECT_EQ(p_controller->getNextLevel(), 3);
}

} // namespace

namespace {

// The key a person holds for a straight move.
nv::Key keyFor(const Move &move) {
    if (move.dy < 0) {
        return nv::W;
    }
    if (move.dy > 0) {
        return nv::S;
    }
    return move.dx < 0 ? nv::A : nv::D;
}

TEST_F(VentsMazeTest, TheShortestRoutesArePlayableWithTheKeysBeforeTheBoilerTurnsOn) {
    Level2 *p_level = enterLevel2();
    ASSERT_NE(p_level, nullptr);
    const BoilerTimer *p_timer = dynamic_cast<BoilerTimer *>(only("BoilerTimer"));
    ASSERT_NE(p_timer, nullptr);
    // Once the level is done the transition deletes the level, its timer and the prisoner: look only while playing.
    auto playing = [&](int section) { return p_controller->getState() == PLAYING && p_level->getSection() == section; };
    int played = 0;
    bool boiler_on = false;
    for (int section = 1; section <= 2; section++) {
        const Section found = measure();
        ASSERT_GT(found.straight.moves, 0);
        for (const Move &move : found.straight.taken) {
            const nv::Object *p_prisoner = only("Prisoner");
            ASSERT_NE(p_prisoner, nullptr);
            const nv::Vector from = p_prisoner->getPosition();
            key(keyFor(move), nv::KEY_PRESSED);
            bool moved = false;
            for (int i = 0; i < 8 && !moved; i++) {
                step();
                played++;
                moved = !playing(section) || p_prisoner->getPosition() != from;
                boiler_on = boiler_on || (p_controller->getState() == PLAYING && p_timer->isBoilerOn());
            }
            ASSERT_TRUE(moved) << "section " << section << ": no move from " << from.toString();
            if (playing(section)) {
                EXPECT_EQ(p_prisoner->getPosition(), nv::Vector(from.getX() + move.dx, from.getY() + move.dy));
                key(keyFor(move), nv::KEY_RELEASED);
            }
        }
        if (section == 1) {
            ASSERT_TRUE(playing(2));
        }
    }
    EXPECT_FALSE(boiler_on);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    EXPECT_EQ(p_controller->getTargetState(), PLAYING);
    EXPECT_EQ(p_controller->getNextLevel(), 3);
    EXPECT_LE(played * 33, BOILER_TIME / 2);
}

} // namespace
