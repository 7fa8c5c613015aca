// The collision queries of circles and points against arrays of wall segments.
#pragma once

#include <cstdint>

#include "physics/vec2.h"

// Every query walks the whole wall array in array order; walls are two-sided
// and thin. A zero-length wall never overlaps, is never crossed and never
// stops a sweep: its normal and nearest point are NaN and every test on a NaN
// goes the non-hit way.

// True when the wall's nearest point to the centre lies within the radius
// (touching counts); out_point is then that point, otherwise left alone.
bool circle_overlaps_segment(const Circle& circle, const Segment& wall, Vec2& out_point);

// One pass over the walls: each overlapped wall takes half of the overlap by
// moving the centre away from it and half by shrinking the radius.
// A centre lying exactly on a wall has no direction to be pushed in; that
// wall is left alone (the circle is neither moved nor shrunk for it).
void depenetrate(Circle& circle, const Segment* walls, int32_t count);

// True when the path from path.a to path.b crosses or touches a wall; the
// first such wall in array order wins, not the nearest crossing. out_point is
// the crossing on the path, left alone when nothing is crossed.
// A path lying along a wall's own line crosses it nowhere in particular; that
// wall is skipped.
bool path_hits_segments(const Segment& path, const Segment* walls, int32_t count,
                        Vec2& out_point);

// True when the ray from ray.a to ray.b starts in or on the circle (out_point
// is then ray.a) or enters it within its length (out_point is the entry).
bool ray_hits_circle(const Segment& ray, const Circle& circle, Vec2& out_point);

// Moves the circle along motion until it first touches a wall. The sweep
// starts from the circle depenetrated with a 0.0001 margin. out_pos and
// out_dist are always written (the stop, or the full motion when nothing is
// hit); out_normal, the unit vector from the contact to the centre at
// contact, only on a hit. True only for a contact strictly before the end.
// A contact at the centre itself (only a centre lying on a wall gives one)
// has no direction from contact to centre; its normal is then the reverse of
// the motion, so the circle is turned back the way it came.
bool sweep_circle(const Circle& circle, const Vec2& motion, const Segment* walls,
                  int32_t count, Vec2& out_pos, Vec2& out_normal, float& out_dist);
