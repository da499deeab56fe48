#!/usr/bin/env python3
# Prints the expected values of tests/analysis/sun_test.cpp, computed with PyEphem (Debian's
# python3-ephem) as an independent ephemeris. Run once by hand when the table changes:
#   apt-get install -y python3-ephem && /usr/bin/python3 tests/analysis/sun_times_from_ephem.py
# The sun's centre, no refraction model (pressure 0), at sea level; sunrise and sunset at -0.833°,
# civil twilight at -6°; the events of the solar day (previous anti-transit to the next) that
# holds the instant; times rounded to the second.
import datetime
import math

import ephem

SUN = ephem.Sun()


def iso(date):
    t = ephem.Date(date).datetime() + datetime.timedelta(microseconds=500000)
    return t.replace(microsecond=0).strftime('%Y-%m-%dT%H:%M:%SZ')


def observer(lat, lon, date, horizon='0', pressure=0):
    o = ephem.Observer()
    o.lat, o.lon, o.elevation = str(lat), str(lon), 0
    o.pressure, o.temp, o.horizon, o.date = pressure, 10, horizon, date
    return o


def solar_day(name, lat, lon, when):
    start = observer(lat, lon, ephem.Date(when)).previous_antitransit(SUN)
    end = observer(lat, lon, start).next_antitransit(SUN)
    events = []
    for horizon in ('-0.833', '-6'):
        for event in ('next_rising', 'next_setting'):
            try:
                d = getattr(observer(lat, lon, start, horizon), event)(SUN, use_center=True)
                events.append(iso(d) if d < end else '')
            except (ephem.AlwaysUpError, ephem.NeverUpError) as e:
                events.append(type(e).__name__)
    print(name, when, events)


def elevation(lat, lon, when):
    alts = []
    for pressure in (0, 1010):
        SUN.compute(observer(lat, lon, when, pressure=pressure))
        alts.append(round(math.degrees(float(SUN.alt)), 3))
    print('elevation', lat, lon, when, alts)


solar_day('Seattle, May', 47.4502, -122.3088, '2026-05-08 20:00:00')
solar_day('Seattle, December', 47.4502, -122.3088, '2026-12-15 20:00:00')
solar_day('Singapore, equinox', 1.3521, 103.8198, '2026-03-20 05:00:00')
solar_day('Sydney, June', -33.9461, 151.1772, '2026-06-21 02:00:00')
solar_day('London, October', 51.4700, -0.4543, '2026-10-25 12:00:00')
solar_day('Honolulu, across midnight UTC', 21.3187, -157.9225, '2026-01-10 23:30:00')
solar_day('Tromso, midsummer', 69.6496, 18.9560, '2026-06-21 11:00:00')
solar_day('Tromso, midwinter', 69.6496, 18.9560, '2026-12-21 11:00:00')
solar_day('Longyearbyen, midwinter', 78.2232, 15.6267, '2026-12-21 11:00:00')
solar_day('Seattle, 9 May', 47.4502, -122.3088, '2026-05-09 20:00:00')
elevation(47.4502, -122.3088, '2026-05-08 20:00:00')
elevation(47.4502, -122.3088, '2026-05-09 03:00:00')
elevation(-33.9461, 151.1772, '2026-06-21 05:30:00')

# Seattle to Honolulu flown evenly (in latitude and longitude) from 03:00Z on 9 May 2026 for
# 5 h 30 min: when the sun's centre sinks below -6° at the aircraft, found by halving.
A, B = (47.4502, -122.3088), (21.3187, -157.9225)
T0, SPAN = ephem.Date('2026-05-09 03:00:00'), 5.5 / 24


def altitude_along(f):
    SUN.compute(observer(A[0] + f * (B[0] - A[0]), A[1] + f * (B[1] - A[1]), ephem.Date(T0 + f * SPAN)))
    return math.degrees(float(SUN.alt))


low, high = 0.0, 1.0
for _ in range(50):
    mid = (low + high) / 2
    if altitude_along(mid) >= -6:
        low = mid
    else:
        high = mid
print('track crosses -6 at', iso(ephem.Date(T0 + low * SPAN)))

# The scenario flights of tests/analysis/logbook_test.cpp: sunset, the end of evening civil
# twilight on 8 May 2026 (local), the start of morning civil twilight and sunrise on 9 May, at the
# runway points of Renton, Paine Field and Bellingham.
for name, lat, lon in (('KRNT', 47.4866, -122.2147), ('KPAE', 47.8960, -122.2782), ('KBLI', 48.7900, -122.5360)):
    evening = ephem.Date('2026-05-08 20:00:00')
    morning = ephem.Date('2026-05-09 06:00:00')
    print(name, [iso(observer(lat, lon, evening, '-0.833').next_setting(SUN, use_center=True)),
                 iso(observer(lat, lon, evening, '-6').next_setting(SUN, use_center=True)),
                 iso(observer(lat, lon, morning, '-6').next_rising(SUN, use_center=True)),
                 iso(observer(lat, lon, morning, '-0.833').next_rising(SUN, use_center=True))])
