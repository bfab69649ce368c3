#pragma once
/// \file MMeshIsectAccelParams.h
/// The acceleration settings a caller hands to MFnMesh's intersection and
/// closest-point queries.

/// How MFnMesh should accelerate repeated queries. Obtain one from
/// MFnMesh::autoUniformGridParams() or MFnMesh::uniformGridParams().
///
/// The host always answers through one bounding volume hierarchy per distinct
/// mesh content, built once and shared, so the grid values change nothing;
/// they are kept so that a caller reading back its settings sees what it set.
class MMeshIsectAccelParams
{
public:
    /// No acceleration requested (as a default-constructed Maya object).
    MMeshIsectAccelParams() = default;

    /// Host code: the settings of MFnMesh::autoUniformGridParams().
    static MMeshIsectAccelParams Auto()
    {
        MMeshIsectAccelParams p;
        p.fAuto = true;
        return p;
    }
    /// Host code: the settings of MFnMesh::uniformGridParams(x, y, z).
    static MMeshIsectAccelParams UniformGrid(int xDivisions, int yDivisions, int zDivisions)
    {
        MMeshIsectAccelParams p;
        p.fXDivisions = xDivisions;
        p.fYDivisions = yDivisions;
        p.fZDivisions = zDivisions;
        return p;
    }

    /// Host code: true when the grid size is left to the host.
    bool IsAuto() const { return fAuto; }
    /// Host code: the requested grid divisions (0 when automatic or unset).
    int XDivisions() const { return fXDivisions; }
    int YDivisions() const { return fYDivisions; }
    int ZDivisions() const { return fZDivisions; }

private:
    bool fAuto = false;
    int fXDivisions = 0;
    int fYDivisions = 0;
    int fZDivisions = 0;
};
