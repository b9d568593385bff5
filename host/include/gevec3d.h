// A vector in 3D space.
#pragma once

class AcGeVector3d {
public:
    AcGeVector3d() = default;
    AcGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
    bool operator==(const AcGeVector3d& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const AcGeVector3d& v) const { return !(*this == v); }
    static const AcGeVector3d kZAxis;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};
